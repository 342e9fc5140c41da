#include "test_files.h"

#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "caprel/caprel.h"

namespace caprel_test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "caprel-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out << content;
    return file.string();
}

int32_t OpenText(const std::string& content) {
    TempDir dir;
    return Open_Caprel(dir.Write("test.xml", content).c_str(), 0);
}

std::string LastError() {
    char buffer[1024];
    const int32_t length = GetLastError_Caprel(buffer, sizeof buffer);
    return std::string(buffer, static_cast<size_t>(length));
}

std::string Name(int32_t element) {
    char buffer[1024];
    uint32_t count = 0;
    if (!GetElementName_Caprel(element, buffer, sizeof buffer, &count)) return "<failed>";
    return std::string(buffer, count);
}

std::string Attribute(int32_t element, const char* name) {
    char buffer[1024];
    uint32_t count = 0;
    if (!GetAttributeValue_Caprel(element, name, buffer, sizeof buffer, &count)) return "<failed>";
    return std::string(buffer, count);
}

std::vector<std::string> Lines(int32_t element) {
    std::vector<std::string> lines;
    int32_t total = 0;
    if (!GetElementLineCount_Caprel(element, &total)) return {"<failed>"};
    for (int32_t i = 0; i < total; ++i) {
        char buffer[1024];
        uint32_t count = 0;
        if (!GetElementLine_Caprel(element, i, buffer, sizeof buffer, &count)) return {"<failed>"};
        lines.emplace_back(buffer, count);
    }
    return lines;
}

std::vector<std::string> ChildNames(int32_t element) {
    std::vector<std::string> names;
    for (int32_t child = GetFirstChildElement_Caprel(element); child != -1;
         child = GetNextChildElement_Caprel(element, child)) {
        names.push_back(Name(child));
    }
    return names;
}

}  // namespace caprel_test
