// The drop-down list a keyword map fills: each row shows an entry's display
// text and carries the entry itself. The user interface implements it over its
// own widget; the core only calls these operations.
#pragma once

#include <string>

namespace kv {

class CParameterXML;

class ComboBox {
  public:
    virtual ~ComboBox() = default;

    // False once the control behind it is gone.
    virtual bool IsWindow() const = 0;
    virtual void ResetContent() = 0;
    // Appends a row; its index, or a negative number when it cannot be added.
    virtual int AddString(const std::string& text) = 0;
    virtual bool SetItemData(int row, const CParameterXML* entry) = 0;
    virtual const CParameterXML* GetItemData(int row) const = 0;
    virtual int GetCount() const = 0;
    // The selected row, or -1 when none is selected.
    virtual int GetCurSel() const = 0;
    // -1 clears the selection.
    virtual void SetCurSel(int row) = 0;
};

}  // namespace kv
