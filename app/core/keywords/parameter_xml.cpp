#include "kelvane/core/parameter_xml.h"

#include <utility>

#include "kelvane/core/combo_box.h"

namespace kv {

CParameterXML::CParameterXML(std::string keyword, std::string displayText, std::uint32_t value)
    : keyword_(std::move(keyword)), displayText_(std::move(displayText)), value_(value) {}

int CParameterXML::AddToComboBox(ComboBox& combo) {
    const int row = combo.AddString(displayText_);
    if (row < 0 || !combo.SetItemData(row, this)) {
        error_ = "Unable to add '" + displayText_ + "' to combo box";
        return 0;
    }
    return 1;
}

}  // namespace kv
