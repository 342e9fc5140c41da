#include "fake_ftdi.h"

#include <algorithm>
#include <cstdio>

namespace kv::usb {

// The double's context: its bus, its last listing and the chip it opened.
struct FtdiContext {
    testing::FakeFtdi* bus = nullptr;
    testing::FakeChip* chip = nullptr;
    std::vector<testing::FakeChip*> listed;
    bool listLive = false;
};

}  // namespace kv::usb

namespace kv::usb::testing {

namespace {

FakeChip* ChipOf(FtdiUsbDevice* device) {
    return reinterpret_cast<FakeChip*>(device);
}

// A control call on the open chip: its result, recorded.
int Control(FtdiContext* ctx, const std::string& call, int result) {
    FakeChip* chip = ctx->chip;
    if (!chip || !chip->open) return -2;
    chip->calls.push_back(call);
    if (chip->unplugged) return -4;
    return result;
}

const char* ParityName(FtdiParity p) {
    switch (p) {
        case FtdiParity::None: return "none";
        case FtdiParity::Odd: return "odd";
        case FtdiParity::Even: return "even";
        case FtdiParity::Mark: return "mark";
        case FtdiParity::Space: return "space";
    }
    return "?";
}

const char* StopName(FtdiStopBits s) {
    switch (s) {
        case FtdiStopBits::One: return "1";
        case FtdiStopBits::OneAndHalf: return "1.5";
        case FtdiStopBits::Two: return "2";
    }
    return "?";
}

FtdiContext* Create(void* user) {
    auto* bus = static_cast<FakeFtdi*>(user);
    if (bus->noBus) return nullptr;
    ++bus->liveContexts;
    return new FtdiContext{bus, nullptr, {}, false};
}

void FreeList(FtdiContext* ctx) {
    if (ctx->listLive) --ctx->bus->liveLists;
    ctx->listLive = false;
    ctx->listed.clear();
}

void Destroy(FtdiContext* ctx) {
    if (ctx->chip && ctx->chip->open) ++ctx->bus->freedWhileOpen;
    if (ctx->chip) ctx->chip->open = false;
    FreeList(ctx);
    --ctx->bus->liveContexts;
    delete ctx;
}

int FindAll(FtdiContext* ctx, std::vector<FtdiUsbDevice*>* devices) {
    devices->clear();
    FreeList(ctx);
    if (ctx->bus->findResult < 0) return ctx->bus->findResult;
    for (FakeChip& chip : ctx->bus->chips)
        if (!chip.unplugged) ctx->listed.push_back(&chip);
    ctx->listLive = true;
    ++ctx->bus->liveLists;
    for (FakeChip* chip : ctx->listed) devices->push_back(reinterpret_cast<FtdiUsbDevice*>(chip));
    return static_cast<int>(devices->size());
}

int GetDescription(FtdiContext*, FtdiUsbDevice* device, char* text, int size) {
    FakeChip* chip = ChipOf(device);
    if (chip->stringsResult < 0) return chip->stringsResult;
    const size_t n = std::min(chip->description.size(), static_cast<size_t>(size - 1));
    std::copy_n(chip->description.begin(), n, text);
    text[n] = 0;
    return 0;
}

int DeviceNode(FtdiUsbDevice* device, char* text, int size) {
    return std::snprintf(text, static_cast<size_t>(size), "/dev/bus/usb/001/%03d",
                         ChipOf(device)->address);
}

int OpenDevice(FtdiContext* ctx, FtdiUsbDevice* device) {
    FakeChip* chip = ChipOf(device);
    if (!ctx->listLive || std::find(ctx->listed.begin(), ctx->listed.end(), chip) ==
                              ctx->listed.end()) {
        ++ctx->bus->foreignOpens;
        return -666;
    }
    if (chip->openResult < 0) return chip->openResult;
    if (chip->open) return -5;  // claimed by another context
    chip->open = true;
    ++chip->openCount;
    ctx->chip = chip;
    chip->calls.push_back("open");
    return 0;
}

int CloseDevice(FtdiContext* ctx) {
    if (!ctx->chip) return -1;
    ctx->chip->calls.push_back("close");
    ctx->chip->open = false;
    ctx->chip = nullptr;
    return 0;
}

int Reset(FtdiContext* ctx) {
    return Control(ctx, "reset", ctx->chip ? ctx->chip->resetResult : 0);
}

int ResetBitMode(FtdiContext* ctx) {
    return Control(ctx, "bitmode reset", 0);
}

int DisableFlowControl(FtdiContext* ctx) {
    return Control(ctx, "flow off", 0);
}

int SetLatencyTimer(FtdiContext* ctx, unsigned char ms) {
    return Control(ctx, "latency " + std::to_string(ms), ctx->chip ? ctx->chip->latencyResult : 0);
}

int SetEventChar(FtdiContext* ctx, unsigned char byte) {
    return Control(ctx, "event char " + std::to_string(byte), 0);
}

void SetUsbTimeouts(FtdiContext* ctx, int readMs, int writeMs) {
    Control(ctx, "timeouts " + std::to_string(readMs) + " " + std::to_string(writeMs), 0);
}

int ReadData(FtdiContext* ctx, unsigned char* buffer, int size, int waitMs) {
    FakeChip* chip = ctx->chip;
    if (!chip || !chip->open) return -666;
    ++chip->readCalls;
    chip->readWaits.push_back(waitMs);
    if (chip->unplugged) return -4;
    if (chip->reads.empty()) return 0;
    ReadReply& reply = chip->reads.front();
    if (reply.code < 0) {
        const int code = reply.code;
        chip->reads.pop_front();
        return code;
    }
    const size_t n = std::min(reply.bytes.size(), static_cast<size_t>(size));
    std::copy_n(reply.bytes.begin(), n, buffer);
    reply.bytes.erase(reply.bytes.begin(), reply.bytes.begin() + static_cast<long>(n));
    if (reply.bytes.empty()) chip->reads.pop_front();
    return static_cast<int>(n);
}

void DropRead(FtdiContext* ctx) {
    Control(ctx, "drop read", 0);
}

int WriteData(FtdiContext* ctx, const unsigned char* data, int size) {
    FakeChip* chip = ctx->chip;
    if (!chip || !chip->open) return -666;
    if (chip->unplugged) return -4;
    chip->writeSizes.push_back(size);
    int taken = size;
    if (!chip->writeResults.empty()) {
        taken = std::min(chip->writeResults.front(), size);
        chip->writeResults.pop_front();
        if (taken < 0) return taken;
    }
    std::vector<uint8_t> bytes(data, data + taken);
    chip->written.insert(chip->written.end(), bytes.begin(), bytes.end());
    if (chip->onWrite) chip->onWrite(bytes);
    return taken;
}

int FlushReceived(FtdiContext* ctx) {
    return Control(ctx, "flush received", ctx->chip ? ctx->chip->flushResult : 0);
}

int FlushTransmit(FtdiContext* ctx) {
    return Control(ctx, "flush transmit", ctx->chip ? ctx->chip->flushResult : 0);
}

int SetBaudRate(FtdiContext* ctx, int baud) {
    return Control(ctx, "baud " + std::to_string(baud), ctx->chip ? ctx->chip->baudResult : 0);
}

int SetLineProperty(FtdiContext* ctx, int bits, FtdiStopBits stopBits, FtdiParity parity) {
    return Control(ctx,
                   "line " + std::to_string(bits) + " " + StopName(stopBits) + " " +
                       ParityName(parity),
                   ctx->chip ? ctx->chip->lineResult : 0);
}

int SetRts(FtdiContext* ctx, int level) {
    const int r = Control(ctx, "rts " + std::to_string(level), ctx->chip ? ctx->chip->rtsResult : 0);
    if (r == 0) ctx->chip->rts = level != 0;
    return r;
}

int SetDtr(FtdiContext* ctx, int level) {
    const int r = Control(ctx, "dtr " + std::to_string(level), ctx->chip ? ctx->chip->dtrResult : 0);
    if (r == 0) ctx->chip->dtr = level != 0;
    return r;
}

int PollModemStatus(FtdiContext* ctx, unsigned short* status) {
    const int r = Control(ctx, "modem", ctx->chip ? ctx->chip->modemResult : 0);
    if (r == 0) *status = ctx->chip->modem;
    return r;
}

}  // namespace

FakeChip& FakeFtdi::plug(const std::string& description) {
    chips.emplace_back();
    chips.back().description = description;
    chips.back().address = static_cast<int>(chips.size()) + 1;
    return chips.back();
}

FtdiApi FakeFtdi::api() {
    return FtdiApi{
        .user = this,
        .create = Create,
        .destroy = Destroy,
        .findAll = FindAll,
        .freeList = FreeList,
        .getDescription = GetDescription,
        .deviceNode = DeviceNode,
        .openDevice = OpenDevice,
        .closeDevice = CloseDevice,
        .reset = Reset,
        .resetBitMode = ResetBitMode,
        .disableFlowControl = DisableFlowControl,
        .setLatencyTimer = SetLatencyTimer,
        .setEventChar = SetEventChar,
        .setUsbTimeouts = SetUsbTimeouts,
        .readData = ReadData,
        .dropRead = DropRead,
        .writeData = WriteData,
        .flushReceived = FlushReceived,
        .flushTransmit = FlushTransmit,
        .setBaudRate = SetBaudRate,
        .setLineProperty = SetLineProperty,
        .setRts = SetRts,
        .setDtr = SetDtr,
        .pollModemStatus = PollModemStatus,
    };
}

}  // namespace kv::usb::testing
