// Caprel: opens a file and walks every element, its text lines and every
// attribute: the names a project, processor list or plug-in list asks for and
// every name the input itself gives before an '=', through the library's
// exports only.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "caprel/caprel.h"
#include "input_file.h"

namespace {

const char* const kAttributeNames[] = {"nFileVersion", "strName", "dwVCC", "Name", "Abbrev",
                                       "strFileName", "", "a", "x"};

void Check(bool condition) {
    if (!condition) std::abort();
}

// Reads a text twice: once for its size, once into a buffer of exactly that size.
void CopyName(std::int32_t element) {
    std::uint32_t needed = 0;
    Check(GetElementName_Caprel(element, nullptr, 0, &needed) == 1 && needed >= 1);
    std::vector<char> buffer(needed);
    std::uint32_t copied = 0;
    Check(GetElementName_Caprel(element, buffer.data(), needed, &copied) == 1);
    Check(copied == needed - 1 && buffer[copied] == '\0');
    // A short buffer is cut and terminated.
    char small[2] = {'?', '?'};
    Check(GetElementName_Caprel(element, small, sizeof small, &copied) == 1);
    Check(copied <= 1 && small[copied] == '\0');
}

bool IsNameChar(std::uint8_t c) {
    return std::isalnum(c) || c == '_' || c == ':' || c == '.' || c == '-' || c >= 0x80;
}

// The fixed names, then each run of name characters that an '=' follows (after
// blanks), once each.
std::vector<std::string> AttributeNames(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> names(std::begin(kAttributeNames), std::end(kAttributeNames));
    std::set<std::string> seen(names.begin(), names.end());
    for (std::size_t i = 0; i < size;) {
        if (!IsNameChar(data[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < size && IsNameChar(data[i]))
            ++i;
        std::size_t after = i;
        while (after < size && (data[after] == ' ' || data[after] == '\t'))
            ++after;
        if (after < size && data[after] == '=') {
            std::string name(reinterpret_cast<const char*>(data + start), i - start);
            if (seen.insert(name).second) names.push_back(std::move(name));
        }
    }
    return names;
}

void ReadElement(std::int32_t element, const std::vector<std::string>& names) {
    CopyName(element);
    for (const std::string& name : names) {
        char value[64];
        std::uint32_t copied = 0;
        if (GetAttributeValue_Caprel(element, name.c_str(), value, sizeof value, &copied))
            Check(copied < sizeof value && value[copied] == '\0');
    }
    std::int32_t lines = -1;
    Check(GetElementLineCount_Caprel(element, &lines) == 1 && lines >= 0);
    for (std::int32_t i = 0; i <= lines; ++i) {
        char line[32];
        std::uint32_t copied = 0;
        const int ok = GetElementLine_Caprel(element, i, line, sizeof line, &copied);
        Check(ok == (i < lines ? 1 : 0));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kv::fuzz::MemoryFile input("input.xml");
    const std::string& path = input.Write(data, size);
    if (Open_Caprel(path.c_str(), 0) == 1) {
        const std::vector<std::string> names = AttributeNames(data, size);
        Check(IsOpen_Caprel() == 1);
        // Every element, depth first, with an explicit stack of (parent, child).
        std::vector<std::pair<std::int32_t, std::int32_t>> stack;
        const std::int32_t root = GetRootElement_Caprel();
        Check(root != -1);
        ReadElement(root, names);
        stack.emplace_back(root, GetFirstChildElement_Caprel(root));
        while (!stack.empty()) {
            auto& [parent, child] = stack.back();
            if (child == -1) {
                stack.pop_back();
                continue;
            }
            const std::int32_t current = child;
            ReadElement(current, names);
            // The named walk finds the same child again.
            char name[256];
            std::uint32_t copied = 0;
            GetElementName_Caprel(current, name, sizeof name, &copied);
            // Names holding a NUL byte cannot be asked for by name.
            if (copied + 1 < sizeof name && std::strlen(name) == copied) {
                std::int32_t named = GetFirstNamedChildElement_Caprel(parent, name);
                while (named != -1 && named != current)
                    named = GetNextNamedChildElement_Caprel(parent, named, name);
                Check(named == current);
            }
            child = GetNextChildElement_Caprel(parent, current);
            stack.emplace_back(current, GetFirstChildElement_Caprel(current));
        }
        Close_Caprel();
    } else {
        Check(IsOpen_Caprel() == 0);
        Check(GetRootElement_Caprel() == -1);
    }
    char error[1024];
    const int length = GetLastError_Caprel(error, sizeof error);
    Check(length >= 0 && length < static_cast<int>(sizeof error) && error[length] == '\0');
    return 0;
}
