#include "ftdi_backend.h"

#include <vector>

#include "ftdi_device.h"

namespace kv::usb {

namespace {

// Frees a scan context when the open is done.
struct ScanContext {
    const FtdiApi& api;
    FtdiContext* ctx;
    ~ScanContext() {
        if (ctx) api.destroy(ctx);
    }
};

}  // namespace

Status FtdiBackend::open(const std::string& description, std::shared_ptr<Device>* device) {
    if (!device) return kInvalidParameter;
    *device = nullptr;
    ScanContext scan{api_, api_.create(api_.user)};
    if (!scan.ctx) return kDeviceNotFound;
    std::vector<FtdiUsbDevice*> found;
    if (api_.findAll(scan.ctx, &found) <= 0) return kDeviceNotFound;
    Status result = kDeviceNotFound;
    for (FtdiUsbDevice* candidate : found) {
        // USB string descriptors hold at most 126 characters.
        char text[128] = {};
        if (api_.getDescription(scan.ctx, candidate, text, sizeof text) < 0) {
            result = kDeviceNotOpened;
            continue;
        }
        text[sizeof text - 1] = 0;
        if (description != text) continue;
        auto opened = std::make_shared<FtdiDevice>(api_, description);
        const Status s = opened->attach(candidate);
        if (s == kOk) {
            *device = std::move(opened);
            return kOk;
        }
        // Another device of the same description may still be free.
        result = s;
    }
    return result;
}

}  // namespace kv::usb
