// Selection helpers for combo boxes filled from a keyword map.
#include "kelvane/core/map_parameter_xml.h"

namespace kv {

const CParameterXML* GetComboSelection(const ComboBox* combo) {
    if (!combo || !combo->IsWindow()) return nullptr;
    const int row = combo->GetCurSel();
    if (row < 0) return nullptr;
    return combo->GetItemData(row);
}

int SelectComboByValue(ComboBox* combo, std::uint32_t value) {
    if (!combo || !combo->IsWindow()) return 0;
    const int count = combo->GetCount();
    for (int row = 0; row < count; ++row) {
        const CParameterXML* entry = combo->GetItemData(row);
        if (entry && entry->GetValue() == value) {
            combo->SetCurSel(row);
            return 1;
        }
    }
    if (count > 0) combo->SetCurSel(0);
    return 0;
}

}  // namespace kv
