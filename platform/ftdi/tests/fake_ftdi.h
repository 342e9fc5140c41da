// A scripted double of libftdi1 behind the FTDI backend's function table: a
// bus of fake FTDI chips, each with its description, scripted read replies
// and call results, and a record of every call the backend made.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ftdi_api.h"

namespace kv::usb::testing {

// One answer of a read from the transfer in flight: bytes, or a code (< 0)
// with none.
struct ReadReply {
    std::vector<uint8_t> bytes;
    int code = 0;
};

struct FakeChip {
    std::string description;
    // Its address on bus 1 (from 2, in the order plugged).
    int address = 0;
    // Results of the calls (0 unless a test sets a failure).
    int stringsResult = 0;
    int openResult = 0;
    int resetResult = 0;
    int latencyResult = 0;
    int baudResult = 0;
    int lineResult = 0;
    int rtsResult = 0;
    int dtrResult = 0;
    int modemResult = 0;
    int flushResult = 0;
    // The modem status word the chip reports.
    unsigned short modem = 0;
    // Replies of the reads in turn; once used up, reads bring nothing.
    std::deque<ReadReply> reads;
    // Results of the writes in turn (bytes taken, fewer than given when the
    // write time-out ran out, or a code); once used up, every write takes
    // all it is given.
    std::deque<int> writeResults;
    // Called with the bytes of every write the chip took.
    std::function<void(const std::vector<uint8_t>&)> onWrite;
    // Pulled out: every transfer fails with libusb's no-device code.
    bool unplugged = false;

    // What the backend did: one text per call, e.g. "baud 9600".
    std::vector<std::string> calls;
    std::vector<uint8_t> written;
    // The byte count of every write asked of the chip.
    std::vector<int> writeSizes;
    int openCount = 0;
    bool open = false;
    bool rts = false;
    bool dtr = false;
    // Reads asked of the chip, and how long each one could wait.
    int readCalls = 0;
    std::vector<int> readWaits;
};

class FakeFtdi {
public:
    // Adds a chip to the bus; the reference stays valid.
    FakeChip& plug(const std::string& description);
    // The table over this bus.
    FtdiApi api();

    // libusb finds no bus at all (ftdi_new fails).
    bool noBus = false;
    // ftdi_usb_find_all fails with this code when set (< 0).
    int findResult = 0;
    // Contexts created and not yet destroyed, and device lists not freed.
    int liveContexts = 0;
    int liveLists = 0;
    // Broken libusb rules: a device opened in a context other than the one
    // that listed it, or a context freed while its device is open.
    int foreignOpens = 0;
    int freedWhileOpen = 0;
    std::deque<FakeChip> chips;
};

}  // namespace kv::usb::testing
