#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb.h"
#include "kelvane/platform/usb_backend.h"

namespace kv::usb {

void Device::waitForData(size_t wanted, uint32_t timeoutMs) {
    Clock& c = clock();
    const uint32_t start = c.tickCount();
    while (rxAvailable() < wanted && ticksSince(start, c.tickCount()) < timeoutMs)
        c.sleep(1);
}

Status Device::purge(uint32_t mask) {
    if (mask & kPurgeRx) {
        uint8_t scratch[256];
        while (read(scratch, sizeof scratch) > 0) {
        }
    }
    return kOk;
}

Status Device::setBaudRate(uint32_t) {
    return kOk;
}
Status Device::setDataCharacteristics(uint8_t, uint8_t, uint8_t) {
    return kOk;
}
Status Device::setRts(bool) {
    return kOk;
}
Status Device::setDtr(bool) {
    return kOk;
}
Status Device::modemStatus(uint32_t* status) {
    *status = 0;
    return kOk;
}
Status Device::setTimeouts(uint32_t, uint32_t) {
    return kOk;
}

namespace {

struct OpenDevice {
    std::shared_ptr<Device> device;
    // Made once when the device opens; lookups copy the pointer only.
    std::shared_ptr<std::mutex> mutex;
    uint32_t readTimeoutMs = 0;
};

struct Registry {
    std::mutex mutex;
    std::shared_ptr<Backend> backend;
    // Why the chosen backend gives no devices; empty when it loaded.
    std::string problem;
    // What opens said of devices they found but could not open, not yet
    // taken; each text once.
    std::vector<std::string> openProblems;
    std::map<Handle, OpenDevice> open;
    Handle next = 1;
};

Registry& registry() {
    static Registry r;
    return r;
}

// The path of `name` in the folder this library was loaded from (the simulated
// devices are built beside it), or `name` alone when that folder is unknown.
std::string besideThisLibrary(const char* name) {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&besideThisLibrary), &info) == 0 || !info.dli_fname)
        return name;
    std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return name;
    return path.substr(0, slash + 1) + name;
}

// Loads a backend module from beside this library (or from the library path)
// and creates its backend; nullptr when the module or its factory is missing.
// `why` gets the module's path and the loader's reason when it cannot be used.
std::shared_ptr<Backend> loadBackend(const char* library, const char* factoryName,
                                     const char* config, std::string* why = nullptr) {
    const std::string beside = besideThisLibrary(library);
    void* lib = dlopen(beside.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!lib) {
        const char* reason = dlerror();
        if (why) *why = beside + " (" + (reason ? reason : "unknown reason") + ")";
        lib = dlopen(library, RTLD_NOW | RTLD_GLOBAL);
    }
    if (!lib) return nullptr;
    auto factory = reinterpret_cast<SimBackendFactory>(dlsym(lib, factoryName));
    if (!factory) {
        if (why) *why = std::string(library) + " (no " + factoryName + " in it)";
        return nullptr;
    }
    Backend* b = factory(config);
    return b ? std::shared_ptr<Backend>(b) : nullptr;
}

std::shared_ptr<Backend> backendFromEnvironment(std::string& problem) {
    const char* env = std::getenv("KELVANE_USB");
    const std::string choice = env ? env : "";
    std::shared_ptr<Backend> chosen;
    if (choice == "sim" || choice.rfind("sim:", 0) == 0) {
        const char* config = choice.size() > 3 ? env + 4 : "";
        chosen = loadBackend(kSimBackendLibrary, kSimBackendFactory, config);
    } else if (choice.empty() || choice == "ftdi") {
        // Every real device depends on this module: without it a station
        // would only ever hear "device not found".
        std::string why;
        chosen = loadBackend(kFtdiBackendLibrary, kFtdiBackendFactory, "", &why);
        if (!chosen)
            problem = "Unable to load the USB module " +
                      (why.empty() ? std::string(kFtdiBackendLibrary) : why) +
                      "; no USB devices";
    } else if (choice != "none") {
        problem = "KELVANE_USB: unknown setting \"" + choice + "\"; no USB devices";
    }
    return chosen ? chosen : std::make_shared<NullBackend>();
}

// Finds an open handle; fills `out` with a copy so the call runs without the registry lock.
bool lookup(Handle h, OpenDevice& out) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.open.find(h);
    if (it == r.open.end()) return false;
    out = it->second;
    return true;
}

template <typename F>
Status withDevice(Handle h, F&& f) {
    OpenDevice d;
    if (!lookup(h, d)) return kInvalidHandle;
    std::lock_guard lock(*d.mutex);
    return f(d);
}

void updateState(Handle h, const OpenDevice& d) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.open.find(h);
    if (it != r.open.end()) {
        it->second.readTimeoutMs = d.readTimeoutMs;
    }
}

}  // namespace

std::shared_ptr<Backend> backend() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (!r.backend) {
        r.problem.clear();
        r.backend = backendFromEnvironment(r.problem);
    }
    return r.backend;
}

std::string backendProblem() {
    backend();
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.problem;
}

void reportOpenProblem(const std::string& text) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (std::find(r.openProblems.begin(), r.openProblems.end(), text) == r.openProblems.end())
        r.openProblems.push_back(text);
}

std::string takeOpenProblems() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::string said;
    for (const std::string& text : r.openProblems)
        said += (said.empty() ? "" : "\n") + text;
    r.openProblems.clear();
    return said;
}

void setBackend(std::shared_ptr<Backend> b) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.backend = std::move(b);
    r.problem.clear();
}

Status open(const char* text, uint32_t flags, Handle* handle) {
    if (!handle) return kInvalidParameter;
    *handle = 0;
    if (!text || flags != kOpenByDescription) return kDeviceNotFound;
    std::shared_ptr<Device> device;
    Status s = backend()->open(text, &device);
    if (s != kOk) return s;
    if (!device) return kDeviceNotFound;
    s = device->open();
    if (s != kOk) return s;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    Handle h = r.next++;
    OpenDevice& opened = r.open[h];
    opened.device = std::move(device);
    opened.mutex = std::make_shared<std::mutex>();
    *handle = h;
    return kOk;
}

Status close(Handle h) {
    std::shared_ptr<Device> device;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        auto it = r.open.find(h);
        if (it == r.open.end()) return kInvalidHandle;
        device = it->second.device;
        r.open.erase(it);
    }
    device->close();
    return kOk;
}

Status read(Handle h, void* buffer, uint32_t count, uint32_t* countRead) {
    if (countRead) *countRead = 0;
    if (!buffer && count) return kInvalidParameter;
    return withDevice(h, [&](OpenDevice& d) {
        auto* out = static_cast<uint8_t*>(buffer);
        uint32_t got = 0;
        Clock& c = clock();
        const uint32_t start = c.tickCount();
        Status status = kOk;
        while (got < count) {
            got += static_cast<uint32_t>(d.device->read(out + got, count - got));
            if (got == count) break;
            if ((status = d.device->linkStatus()) != kOk) break;
            const uint32_t elapsed = ticksSince(start, c.tickCount());
            if (elapsed >= d.readTimeoutMs) break;
            d.device->waitForData(count - got, d.readTimeoutMs - elapsed);
        }
        if (countRead) *countRead = got;
        return status;
    });
}

Status write(Handle h, const void* data, uint32_t count, uint32_t* countWritten) {
    if (countWritten) *countWritten = 0;
    if (!data && count) return kInvalidParameter;
    return withDevice(h, [&](OpenDevice& d) {
        size_t written = 0;
        Status s = d.device->write(static_cast<const uint8_t*>(data), count, &written);
        if (countWritten) *countWritten = static_cast<uint32_t>(written);
        return s;
    });
}

Status resetDevice(Handle h) {
    return withDevice(h, [](OpenDevice& d) { return d.device->reset(); });
}

Status setTimeouts(Handle h, uint32_t readMs, uint32_t writeMs) {
    return withDevice(h, [&](OpenDevice& d) -> Status {
        const Status s = d.device->setTimeouts(readMs, writeMs);
        if (s != kOk) return s;
        d.readTimeoutMs = readMs;
        updateState(h, d);
        return kOk;
    });
}

Status purge(Handle h, uint32_t mask) {
    return withDevice(h, [&](OpenDevice& d) { return d.device->purge(mask); });
}

void pause(uint32_t ms) {
    std::vector<OpenDevice> devices;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        for (const auto& [handle, d] : r.open)
            devices.push_back(d);
    }
    bool modelled = !devices.empty();
    for (OpenDevice& d : devices) {
        std::lock_guard lock(*d.mutex);
        modelled = modelled && d.device->pause(0);
    }
    if (!modelled) {
        clock().sleep(ms);
        return;
    }
    for (OpenDevice& d : devices) {
        std::lock_guard lock(*d.mutex);
        d.device->pause(ms);
    }
}

Status getQueueStatus(Handle h, uint32_t* rxBytes) {
    if (!rxBytes) return kInvalidParameter;
    return withDevice(h, [&](OpenDevice& d) {
        *rxBytes = static_cast<uint32_t>(d.device->rxAvailable());
        const Status s = d.device->linkStatus();
        if (s != kOk) *rxBytes = 0;
        return s;
    });
}

Status setBaudRate(Handle h, uint32_t baud) {
    return withDevice(h, [&](OpenDevice& d) { return d.device->setBaudRate(baud); });
}

Status setDataCharacteristics(Handle h, uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
    return withDevice(h, [&](OpenDevice& d) {
        return d.device->setDataCharacteristics(wordLength, stopBits, parity);
    });
}

Status setRts(Handle h) {
    return withDevice(h, [](OpenDevice& d) { return d.device->setRts(true); });
}
Status clrRts(Handle h) {
    return withDevice(h, [](OpenDevice& d) { return d.device->setRts(false); });
}
Status setDtr(Handle h) {
    return withDevice(h, [](OpenDevice& d) { return d.device->setDtr(true); });
}
Status clrDtr(Handle h) {
    return withDevice(h, [](OpenDevice& d) { return d.device->setDtr(false); });
}

Status getModemStatus(Handle h, uint32_t* status) {
    if (!status) return kInvalidParameter;
    return withDevice(h, [&](OpenDevice& d) { return d.device->modemStatus(status); });
}

}  // namespace kv::usb
