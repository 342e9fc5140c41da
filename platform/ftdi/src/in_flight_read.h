// A bulk IN transfer kept in flight on an open FTDI chip, as the chip makers'
// own driver and the kernel's serial driver keep one: the chip's bytes are
// taken as they come, so asking how many wait costs no USB transfer (and no
// latency timer) of its own. A transfer the chip leaves unanswered beyond the
// context's read time-out is given up and put in flight again. Runs on the
// thread that calls it (libusb's events are handled only inside its calls).
#pragma once

#include <ftdi.h>
#include <libusb.h>

#include <cstddef>
#include <vector>

namespace kv::usb {

class InFlightRead {
public:
    explicit InFlightRead(ftdi_context* ftdi);
    ~InFlightRead();
    InFlightRead(const InFlightRead&) = delete;
    InFlightRead& operator=(const InFlightRead&) = delete;

    // Handles the USB events that are due, waiting up to `waitMs` for the
    // first bytes when none have come yet, then moves up to `size` received
    // bytes (the status bytes of each packet left out) into `buffer`.
    // Returns their count, or libusb's code once the transfer failed and
    // nothing is left to take.
    int take(unsigned char* buffer, int size, int waitMs);
    // Gives up the transfer in flight and drops every byte it brought.
    void drop();

private:
    static void LIBUSB_CALL finished(libusb_transfer* transfer);
    void submit();

    ftdi_context* ftdi_;
    libusb_transfer* transfer_ = nullptr;
    std::vector<unsigned char> chunk_;
    std::vector<unsigned char> received_;
    size_t head_ = 0;
    bool inFlight_ = false;
    bool dropping_ = false;
    // Set by the transfer's end: bytes came (or it failed), or it ended at all.
    int arrived_ = 0;
    int ended_ = 0;
    int error_ = 0;
};

}  // namespace kv::usb
