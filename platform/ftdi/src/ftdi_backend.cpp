#include "ftdi_backend.h"

#include <vector>

#include "ftdi_device.h"

namespace kv::usb {

std::string FtdiBackend::noAccess(const std::string& description, FtdiUsbDevice* device) const {
    char node[64] = {};
    if (api_.deviceNode(device, node, sizeof node) < 0) node[0] = 0;
    node[sizeof node - 1] = 0;
    // What the installation's "Real hardware" steps do about it.
    return description + ": this user may not open " + (node[0] ? node : "the device") +
           " (install the udev rule 60-kelvane.rules, join the plugdev group, then log in "
           "again and plug the device in again)";
}

Status FtdiBackend::open(const std::string& description, std::shared_ptr<Device>* device) {
    if (!device) return kInvalidParameter;
    *device = nullptr;
    // The context that lists the bus opens the device and keeps it: libusb
    // ties a handle to the context its device was found in.
    FtdiContext* ctx = api_.create(api_.user);
    if (!ctx) return kDeviceNotFound;
    std::vector<FtdiUsbDevice*> found;
    Status result = kDeviceNotFound;
    if (api_.findAll(ctx, &found) > 0) {
        for (FtdiUsbDevice* candidate : found) {
            // USB string descriptors hold at most 126 characters. A device
            // whose description cannot be had is not the one asked for.
            char text[128] = {};
            if (api_.getDescription(ctx, candidate, text, sizeof text) < 0) continue;
            text[sizeof text - 1] = 0;
            if (description != text) continue;
            const int code = api_.openDevice(ctx, candidate);
            if (code < 0) {
                // The interface could not be claimed: another program holds it.
                if (code == kFtdiClaimFailed)
                    reportOpenProblem(description + ": in use by another program");
                if (code == kFtdiNoAccess) reportOpenProblem(noAccess(description, candidate));
                // Another device of the same description may still be free.
                result = kDeviceNotOpened;
                continue;
            }
            api_.freeList(ctx);
            auto opened = std::make_shared<FtdiDevice>(api_, description, ctx);
            opened->configure();
            *device = std::move(opened);
            return kOk;
        }
    }
    api_.destroy(ctx);
    return result;
}

}  // namespace kv::usb
