#include "usbfs_device.h"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace kv::rig {

UsbfsDevice::UsbfsDevice(FtdiChipModel chip) : chip_(std::move(chip)) {
    g_mutex_init(&mutex_);
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(onIoctl), this);
    g_signal_connect(handler_, "client-vanished", G_CALLBACK(onVanished), this);
}

UsbfsDevice::~UsbfsDevice() {
    for (auto* queue : {&submitted_, &discarded_})
        for (Urb& u : *queue)
            release(u);
    g_object_unref(handler_);
    g_mutex_clear(&mutex_);
}

void UsbfsDevice::release(Urb& u) {
    g_object_unref(u.buffer);
    g_object_unref(u.urb);
}

std::string UsbfsDevice::violation() const {
    g_mutex_lock(&mutex_);
    std::string v = violation_;
    g_mutex_unlock(&mutex_);
    return v;
}

void UsbfsDevice::fail(const std::string& what) {
    g_mutex_lock(&mutex_);
    if (violation_.empty()) violation_ = what;
    g_mutex_unlock(&mutex_);
}

gboolean UsbfsDevice::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<UsbfsDevice*>(self)->handle(client);
    return TRUE;
}

// The node was closed (or its process ended): the kernel drops the open's
// URBs and releases what it claimed.
void UsbfsDevice::onVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    auto* d = static_cast<UsbfsDevice*>(self);
    for (auto* queue : {&d->submitted_, &d->discarded_}) {
        for (auto it = queue->begin(); it != queue->end();) {
            if (it->client != client) {
                ++it;
                continue;
            }
            release(*it);
            it = queue->erase(it);
        }
    }
    if (d->owner_ == client) d->owner_ = nullptr;
}

void UsbfsDevice::handle(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    if (unplugged_ && request != USBDEVFS_REAPURBNDELAY && request != USBDEVFS_REAPURB &&
        request != USBDEVFS_RELEASEINTERFACE) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
            if (!caps) {
                umockdev_ioctl_client_complete(client, -1, EFAULT);
                return;
            }
            *reinterpret_cast<guint32*>(caps->data) =
                USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
            umockdev_ioctl_client_complete(client, 0, 0);
            g_object_unref(caps);
            return;
        }
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE:
        case USBDEVFS_DISCONNECT_CLAIM:
            claimOrRelease(client, request, arg);
            return;
        case USBDEVFS_GETDRIVER:
        case USBDEVFS_IOCTL:
            driverIoctl(client, request, arg);
            return;
        case USBDEVFS_SETCONFIGURATION:
        case USBDEVFS_RESET:
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_RESETEP:
            umockdev_ioctl_client_complete(client, 0, 0);
            return;
        case USBDEVFS_SUBMITURB:
            submit(client, arg);
            return;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            reap(client, arg);
            return;
        case USBDEVFS_DISCARDURB:
            discard(client, arg);
            return;
        default:
            umockdev_ioctl_client_complete(client, -1, ENOTTY);
            return;
    }
}

std::string UsbfsDevice::boundDriver() const {
    // A claim through usbfs binds the kernel's usbfs driver.
    return !driver_.empty() ? driver_ : owner_ ? "usbfs" : "";
}

void UsbfsDevice::claimOrRelease(UMockdevIoctlClient* client, unsigned long request,
                                 UMockdevIoctlData* arg) {
    const gsize size = request == USBDEVFS_DISCONNECT_CLAIM ? sizeof(usbdevfs_disconnect_claim)
                                                            : sizeof(guint);
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, size, nullptr);
    if (!data) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    const guint iface = *reinterpret_cast<guint*>(data->data);
    if (request == USBDEVFS_DISCONNECT_CLAIM && iface == 0) {
        // Detaches the interface's driver (a kernel driver, or another open's
        // claim: the kernel's usbfs driver) unless the flags spare it.
        const auto* claim = reinterpret_cast<const usbdevfs_disconnect_claim*>(data->data);
        const std::string bound = boundDriver();
        const bool named = bound == std::string(claim->driver, strnlen(claim->driver, sizeof claim->driver));
        const bool detach = !bound.empty() && owner_ != client &&
                            ((claim->flags & USBDEVFS_DISCONNECT_CLAIM_IF_DRIVER)       ? named
                             : (claim->flags & USBDEVFS_DISCONNECT_CLAIM_EXCEPT_DRIVER) ? !named
                                                                                        : true);
        if (detach) {
            driver_.clear();
            owner_ = nullptr;
        }
    }
    g_object_unref(data);
    if (iface != 0) {
        umockdev_ioctl_client_complete(client, -1, ENOENT);
        return;
    }
    if (request == USBDEVFS_RELEASEINTERFACE) {
        if (owner_ != client) {
            fail("released an interface it had not claimed");
            umockdev_ioctl_client_complete(client, -1, EINVAL);
            return;
        }
        owner_ = nullptr;
        umockdev_ioctl_client_complete(client, 0, 0);
        return;
    }
    // Held by a kernel driver or by another open: busy.
    if (!driver_.empty() || (owner_ && owner_ != client)) {
        umockdev_ioctl_client_complete(client, -1, EBUSY);
        return;
    }
    owner_ = client;
    umockdev_ioctl_client_complete(client, 0, 0);
}

void UsbfsDevice::driverIoctl(UMockdevIoctlClient* client, unsigned long request,
                              UMockdevIoctlData* arg) {
    if (request == USBDEVFS_GETDRIVER) {
        UMockdevIoctlData* data =
            umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_getdriver), nullptr);
        if (!data) {
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return;
        }
        auto* query = reinterpret_cast<usbdevfs_getdriver*>(data->data);
        const std::string bound = boundDriver();
        if (query->interface != 0 || bound.empty()) {
            umockdev_ioctl_client_complete(client, -1, ENODATA);
        } else {
            std::snprintf(query->driver, sizeof query->driver, "%s", bound.c_str());
            umockdev_ioctl_client_complete(client, 0, 0);
        }
        g_object_unref(data);
        return;
    }
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_ioctl), nullptr);
    if (!data) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    const auto* command = reinterpret_cast<const usbdevfs_ioctl*>(data->data);
    const int ifno = command->ifno;
    const unsigned code = static_cast<unsigned>(command->ioctl_code);
    g_object_unref(data);
    if (ifno != 0) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
    } else if (code != USBDEVFS_DISCONNECT) {
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
    } else if (!driver_.empty() || owner_) {
        // The kernel unbinds whatever driver holds the interface.
        driver_.clear();
        owner_ = nullptr;
        umockdev_ioctl_client_complete(client, 0, 0);
    } else {
        umockdev_ioctl_client_complete(client, -1, ENODATA);
    }
}

void UsbfsDevice::submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    Urb u;
    u.client = client;
    u.urb = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    auto* urb = u.urb ? reinterpret_cast<usbdevfs_urb*>(u.urb->data) : nullptr;
    if (urb && urb->buffer_length >= 0)
        u.buffer = umockdev_ioctl_data_resolve(u.urb, offsetof(usbdevfs_urb, buffer),
                                               static_cast<gsize>(urb->buffer_length), nullptr);
    if (!u.buffer) {
        if (u.urb) g_object_unref(u.urb);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    if (urb->type != USBDEVFS_URB_TYPE_CONTROL && owner_ != client)
        fail("a bulk transfer on an interface it had not claimed");
    if (urb->type == USBDEVFS_URB_TYPE_BULK && urb->endpoint == FtdiChipModel::kInEndpoint) {
        u.submitted = FtdiChipModel::Clock::now();
        u.stalled = stallIn_ != 0 && ++inCount_ == stallIn_;
    } else if (urb->type == USBDEVFS_URB_TYPE_BULK &&
               urb->endpoint == FtdiChipModel::kOutEndpoint && stallOut_ != 0 &&
               ++outCount_ == stallOut_) {
        // Stays in flight with nothing taken until it is discarded.
        u.stalledOut = true;
    } else {
        u.status = run(u);
        u.done = true;
    }
    submitted_.push_back(u);
    umockdev_ioctl_client_complete(client, 0, 0);
}

int UsbfsDevice::run(Urb& u) {
    auto* urb = reinterpret_cast<usbdevfs_urb*>(u.urb->data);
    auto* buffer = static_cast<uint8_t*>(u.buffer->data);
    const size_t length = static_cast<size_t>(urb->buffer_length);
    urb->actual_length = 0;
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
        if (length < 8) return -EINVAL;
        Bytes data(buffer + 8, buffer + length);
        if (!chip_.control(buffer, &data)) return -EPIPE;
        if (buffer[0] & 0x80) {
            const size_t n = std::min(data.size(), length - 8);
            std::memcpy(buffer + 8, data.data(), n);
            urb->actual_length = static_cast<int>(n);
        } else {
            urb->actual_length = static_cast<int>(length - 8);
        }
        return 0;
    }
    if (urb->type != USBDEVFS_URB_TYPE_BULK || urb->endpoint != FtdiChipModel::kOutEndpoint)
        return urb->type == USBDEVFS_URB_TYPE_BULK ? -ENOENT : -EINVAL;
    chip_.bulkOut(buffer, length);
    if (!record_.empty())
        std::ofstream(record_, std::ios::binary | std::ios::app)
            .write(reinterpret_cast<const char*>(buffer), static_cast<std::streamsize>(length));
    urb->actual_length = static_cast<int>(length);
    bytesOut_ += length;
    if (unplugAfter_ && bytesOut_ >= unplugAfter_ && !unplugged_) {
        unplugged_ = true;
        if (pulled_) pulled_();
    }
    return 0;
}

bool UsbfsDevice::in(Urb& u) {
    if (u.stalled) return false;
    auto* urb = reinterpret_cast<usbdevfs_urb*>(u.urb->data);
    Bytes bytes;
    if (!chip_.bulkIn(static_cast<size_t>(urb->buffer_length), u.submitted, &bytes)) return false;
    std::memcpy(u.buffer->data, bytes.data(), bytes.size());
    urb->actual_length = static_cast<int>(bytes.size());
    u.status = 0;
    return true;
}

void UsbfsDevice::reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    Urb u;
    bool found = false;
    for (auto it = discarded_.begin(); it != discarded_.end(); ++it) {
        if (it->client != client) continue;
        u = *it;
        u.status = -ENOENT;
        discarded_.erase(it);
        found = true;
        break;
    }
    // The first of the open's URBs that is done; IN transfers complete in
    // turn, so only the first IN in flight may. A device pulled out ends the
    // URBs still in flight.
    bool inSeen = false;
    for (auto it = submitted_.begin(); it != submitted_.end() && !found; ++it) {
        if (it->client != client) continue;
        const bool isIn = !it->done && !it->stalledOut;
        if (unplugged_ && !it->done) it->status = -ENODEV;
        if (it->stalledOut && !unplugged_) continue;
        if (it->done || unplugged_ || (isIn && !inSeen && in(*it))) {
            u = *it;
            submitted_.erase(it);
            found = true;
            break;
        }
        inSeen = inSeen || isIn;
    }
    if (!found) {
        umockdev_ioctl_client_complete(client, -1, unplugged_ ? ENODEV : EAGAIN);
        return;
    }
    reinterpret_cast<usbdevfs_urb*>(u.urb->data)->status = u.status;
    UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
    if (slot && umockdev_ioctl_data_set_ptr(slot, 0, u.urb)) {
        umockdev_ioctl_client_complete(client, 0, 0);
    } else {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
    }
    if (slot) g_object_unref(slot);
    release(u);
}

void UsbfsDevice::discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    const gulong address = *reinterpret_cast<gulong*>(arg->data);
    for (auto it = submitted_.begin(); it != submitted_.end(); ++it) {
        // A transfer that is done is reaped as it is.
        if (it->client != client || it->urb->client_addr != address || it->done) continue;
        discarded_.push_back(*it);
        submitted_.erase(it);
        umockdev_ioctl_client_complete(client, 0, 0);
        return;
    }
    // Already reaped, done, or never submitted.
    umockdev_ioctl_client_complete(client, -1, EINVAL);
}

}  // namespace kv::rig
