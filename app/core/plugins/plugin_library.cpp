#include "plugin_library.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace kv::plugin {

std::string GetProgramDirectory() {
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return ".";
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void* LoadLibrary(const std::string& name, std::uint32_t* code, std::string* reason) {
    *code = 0;
    reason->clear();
    std::string path = name;
    if (name.find('/') == std::string::npos) {
        std::string directory = GetProgramDirectory();
        if (directory.back() != '/') directory += '/';
        path = directory + name;
    }
    struct stat status {};
    if (name.empty() || stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        *code = ENOENT;
        *reason = path + ": No such file";
        return nullptr;
    }
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        *code = ENOEXEC;
        // The loader's own words: a missing dependency, a wrong architecture, a bad file.
        const char* text = dlerror();
        *reason = text != nullptr ? text : path + ": cannot be loaded";
    }
    return library;
}

void FreeLibrary(void* library) {
    if (library) dlclose(library);
}

}  // namespace kv::plugin
