#include "xml_test_support.h"

#include <caprel/caprel.h>

namespace kv::test {

OpenDocument::OpenDocument(const std::string& path) : ok_(Open_Caprel(path.c_str(), 0) != 0) {}

OpenDocument::~OpenDocument() {
    Close_Caprel();
}

std::int32_t OpenDocument::root() const {
    return GetRootElement_Caprel();
}

std::int32_t OpenDocument::child(std::int32_t parent, const std::string& name) const {
    return GetFirstNamedChildElement_Caprel(parent, name.c_str());
}

std::vector<std::int32_t> OpenDocument::children(std::int32_t parent) const {
    std::vector<std::int32_t> result;
    for (std::int32_t c = GetFirstChildElement_Caprel(parent); c != -1;
         c = GetNextChildElement_Caprel(parent, c))
        result.push_back(c);
    return result;
}

std::string OpenDocument::lastError() const {
    char buffer[1024] = {};
    GetLastError_Caprel(buffer, sizeof buffer);
    return buffer;
}

void FakeComboBox::ResetContent() {
    rows.clear();
    selected = -1;
}

int FakeComboBox::AddString(const std::string& text) {
    if (GetCount() >= capacity) return -2;
    rows.push_back({text, nullptr});
    return GetCount() - 1;
}

bool FakeComboBox::SetItemData(int row, const CParameterXML* entry) {
    if (row < 0 || row >= GetCount()) return false;
    rows[static_cast<std::size_t>(row)].entry = entry;
    return true;
}

const CParameterXML* FakeComboBox::GetItemData(int row) const {
    if (row < 0 || row >= GetCount()) return nullptr;
    return rows[static_cast<std::size_t>(row)].entry;
}

}  // namespace kv::test
