#include "sysfs_product.h"

#include <filesystem>
#include <fstream>

namespace kv::usb {

namespace {

std::string attribute(const std::filesystem::path& dir, const char* name) {
    std::ifstream in(dir / name);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::string sysfsProduct(int bus, int address, const std::string& devicesDir) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(devicesDir, ec)) {
        const std::filesystem::path& dir = entry.path();
        if (attribute(dir, "busnum") == std::to_string(bus) &&
            attribute(dir, "devnum") == std::to_string(address))
            return attribute(dir, "product");
    }
    return {};
}

}  // namespace kv::usb
