#include "usbfs_device.h"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fstream>

namespace kv::rig {

UsbfsDevice::UsbfsDevice(FtdiChipModel chip) : chip_(std::move(chip)) {
    g_mutex_init(&mutex_);
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(onIoctl), this);
}

UsbfsDevice::~UsbfsDevice() {
    for (auto* queue : {&submitted_, &discarded_}) {
        for (Urb& u : *queue) {
            g_object_unref(u.buffer);
            g_object_unref(u.urb);
        }
    }
    g_object_unref(handler_);
    g_mutex_clear(&mutex_);
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
        case USBDEVFS_RELEASEINTERFACE: {
            UMockdevIoctlData* number = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint), nullptr);
            if (!number) {
                umockdev_ioctl_client_complete(client, -1, EFAULT);
                return;
            }
            const guint iface = *reinterpret_cast<guint*>(number->data);
            g_object_unref(number);
            if (iface != 0) {
                umockdev_ioctl_client_complete(client, -1, ENOENT);
                return;
            }
            if (request == USBDEVFS_RELEASEINTERFACE && !claimed_)
                fail("released an unclaimed interface");
            claimed_ = request == USBDEVFS_CLAIMINTERFACE;
            umockdev_ioctl_client_complete(client, 0, 0);
            return;
        }
        case USBDEVFS_SETCONFIGURATION:
        case USBDEVFS_RESET:
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_RESETEP:
            umockdev_ioctl_client_complete(client, 0, 0);
            return;
        case USBDEVFS_GETDRIVER:
        case USBDEVFS_IOCTL:
            // No kernel driver holds the interface.
            umockdev_ioctl_client_complete(client, -1, ENODATA);
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

void UsbfsDevice::submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    Urb u;
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
    if (urb->type != USBDEVFS_URB_TYPE_CONTROL && !claimed_)
        fail("a bulk transfer on an unclaimed interface");
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
    if (urb->type != USBDEVFS_URB_TYPE_BULK) return -EINVAL;
    if (urb->endpoint == FtdiChipModel::kOutEndpoint) {
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
    if (urb->endpoint == FtdiChipModel::kInEndpoint) {
        const Bytes in = chip_.bulkIn(length);
        std::memcpy(buffer, in.data(), in.size());
        urb->actual_length = static_cast<int>(in.size());
        return 0;
    }
    return -ENOENT;
}

void UsbfsDevice::reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    Urb u;
    int status = 0;
    if (!discarded_.empty()) {
        u = discarded_.front();
        discarded_.pop_front();
        status = -ENOENT;
    } else if (!submitted_.empty()) {
        u = submitted_.front();
        submitted_.pop_front();
        // A device pulled out ends the URBs still in flight.
        status = unplugged_ ? -ENODEV : run(u);
    } else {
        umockdev_ioctl_client_complete(client, -1, unplugged_ ? ENODEV : EAGAIN);
        return;
    }
    reinterpret_cast<usbdevfs_urb*>(u.urb->data)->status = status;
    UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
    if (slot && umockdev_ioctl_data_set_ptr(slot, 0, u.urb)) {
        umockdev_ioctl_client_complete(client, 0, 0);
    } else {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
    }
    if (slot) g_object_unref(slot);
    g_object_unref(u.buffer);
    g_object_unref(u.urb);
}

void UsbfsDevice::discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    const gulong address = *reinterpret_cast<gulong*>(arg->data);
    for (auto it = submitted_.begin(); it != submitted_.end(); ++it) {
        if (it->urb->client_addr == address) {
            discarded_.push_back(*it);
            submitted_.erase(it);
            umockdev_ioctl_client_complete(client, 0, 0);
            return;
        }
    }
    // Already reaped, or never submitted.
    umockdev_ioctl_client_complete(client, -1, EINVAL);
}

}  // namespace kv::rig
