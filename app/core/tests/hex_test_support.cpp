#include "hex_test_support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kv::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-hex-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
    const std::string full = path(name);
    std::ofstream(full, std::ios::binary) << content;
    return full;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

MessageBoxRecorder::MessageBoxRecorder() {
    previous_ = setMessageBoxHandler(
        [this](const std::string& text, const std::string& caption, unsigned type) {
            calls_.push_back({text, caption, type});
            return kIdOk;
        });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    setMessageBoxHandler(previous_);
}

}  // namespace kv::test
