#include "input_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kv::fuzz {

InputFolder::InputFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") +
                          "/kelvane_fuzz_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    path_ = pattern;
}

InputFolder::~InputFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string InputFolder::Write(const std::string& name, const std::uint8_t* data,
                               std::size_t size) const {
    const std::string file = path_ + "/" + name;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr || (size > 0 && std::fwrite(data, 1, size, out) != size) ||
        std::fclose(out) != 0) {
        std::perror(file.c_str());
        std::abort();
    }
    return file;
}

void InputFolder::Empty() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

const InputFolder& Folder() {
    static InputFolder folder;
    return folder;
}

}  // namespace kv::fuzz
