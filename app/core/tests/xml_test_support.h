// Test helpers for the XML classes: a document held open in the XML reader
// library for the length of a test, and a combo box kept in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hex_test_support.h"
#include "kelvane/core/combo_box.h"

namespace kv::test {

// Opens a file in the reader library and closes it again at the end.
class OpenDocument {
  public:
    explicit OpenDocument(const std::string& path);
    OpenDocument(const OpenDocument&) = delete;
    OpenDocument& operator=(const OpenDocument&) = delete;
    ~OpenDocument();

    bool ok() const { return ok_; }
    std::int32_t root() const;
    // The first child of the element with that name, -1 when there is none.
    std::int32_t child(std::int32_t parent, const std::string& name) const;
    std::vector<std::int32_t> children(std::int32_t parent) const;
    std::string lastError() const;

  private:
    bool ok_;
};

class FakeComboBox : public ComboBox {
  public:
    struct Row {
        std::string text;
        const CParameterXML* entry;
    };

    bool IsWindow() const override { return window; }
    void ResetContent() override;
    int AddString(const std::string& text) override;
    bool SetItemData(int row, const CParameterXML* entry) override;
    const CParameterXML* GetItemData(int row) const override;
    int GetCount() const override { return static_cast<int>(rows.size()); }
    int GetCurSel() const override { return selected; }
    void SetCurSel(int row) override { selected = row; }

    std::vector<Row> rows;
    int selected = -1;
    bool window = true;
    // Rows from this index on cannot be added.
    int capacity = 1000;
};

}  // namespace kv::test
