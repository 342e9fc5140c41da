#include "in_flight_read.h"

#include <algorithm>
#include <cstring>

namespace kv::usb {

namespace {

// One transfer takes up to this many bytes: 64 full-speed packets.
constexpr int kChunk = 4096;

timeval millis(int ms) {
    return timeval{ms / 1000, (ms % 1000) * 1000};
}

}  // namespace

InFlightRead::InFlightRead(ftdi_context* ftdi)
    : ftdi_(ftdi), transfer_(libusb_alloc_transfer(0)), chunk_(kChunk) {}

InFlightRead::~InFlightRead() {
    drop();
    libusb_free_transfer(transfer_);
}

void InFlightRead::submit() {
    if (inFlight_ || error_ || !transfer_) return;
    libusb_fill_bulk_transfer(transfer_, ftdi_->usb_dev, static_cast<unsigned char>(ftdi_->out_ep),
                              chunk_.data(), kChunk, finished, this,
                              static_cast<unsigned>(ftdi_->usb_read_timeout));
    const int r = libusb_submit_transfer(transfer_);
    if (r < 0) {
        error_ = r;
        arrived_ = 1;
        return;
    }
    inFlight_ = true;
    ended_ = 0;
}

void LIBUSB_CALL InFlightRead::finished(libusb_transfer* transfer) {
    auto* self = static_cast<InFlightRead*>(transfer->user_data);
    self->inFlight_ = false;
    self->ended_ = 1;
    switch (transfer->status) {
        case LIBUSB_TRANSFER_COMPLETED:
        case LIBUSB_TRANSFER_TIMED_OUT: {
            // Each packet opens with the chip's two status bytes.
            const int packet = std::max(static_cast<int>(self->ftdi_->max_packet_size), 3);
            const unsigned char* data = transfer->buffer;
            const size_t before = self->received_.size();
            for (int at = 0; at < transfer->actual_length; at += packet) {
                const int n = std::min(packet, transfer->actual_length - at);
                if (n > 2) self->received_.insert(self->received_.end(), data + at + 2, data + at + n);
            }
            if (self->received_.size() > before) self->arrived_ = 1;
            if (!self->dropping_) self->submit();
            return;
        }
        case LIBUSB_TRANSFER_CANCELLED:
            return;
        case LIBUSB_TRANSFER_NO_DEVICE:
            self->error_ = LIBUSB_ERROR_NO_DEVICE;
            break;
        default:
            self->error_ = LIBUSB_ERROR_IO;
            break;
    }
    self->arrived_ = 1;
}

int InFlightRead::take(unsigned char* buffer, int size, int waitMs) {
    if (head_ == received_.size()) {
        received_.clear();
        head_ = 0;
    }
    submit();
    timeval now = millis(0);
    libusb_handle_events_timeout_completed(ftdi_->usb_ctx, &now, nullptr);
    if (head_ == received_.size() && !error_ && waitMs > 0) {
        arrived_ = 0;
        timeval wait = millis(waitMs);
        libusb_handle_events_timeout_completed(ftdi_->usb_ctx, &wait, &arrived_);
    }
    const size_t n = std::min(received_.size() - head_, static_cast<size_t>(std::max(size, 0)));
    if (n == 0) return error_;
    std::memcpy(buffer, received_.data() + head_, n);
    head_ += n;
    return static_cast<int>(n);
}

void InFlightRead::drop() {
    if (inFlight_) {
        // libusb ends the transfer through its callback, cancelled or (when
        // it had already come back) with what it brought; a device that is
        // gone ends it at once.
        dropping_ = true;
        libusb_cancel_transfer(transfer_);
        for (int tries = 0; inFlight_ && tries < 50; ++tries) {
            timeval wait = millis(100);
            libusb_handle_events_timeout_completed(ftdi_->usb_ctx, &wait, &ended_);
        }
        dropping_ = false;
    }
    received_.clear();
    head_ = 0;
}

}  // namespace kv::usb
