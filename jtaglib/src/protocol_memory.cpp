// Memory moves through the pod: one block per command, and the transfers that
// split a range into blocks of the largest size the pod takes.
#include "target_protocol_jtag.h"

namespace nandrel {

namespace {

// Walks a transfer of `total` units in blocks of at most `block`, calling
// send(address field, unit offset, units) until one fails.
template <typename Send>
bool forEachBlock(uint32_t address, uint32_t total, uint32_t block, uint32_t unitBytes,
                  Send&& send) {
    uint32_t done = 0;
    bool first = true;
    while (done < total) {
        const uint32_t remaining = total - done;
        const uint32_t n = remaining < block ? remaining : block;
        uint32_t field = address + done * unitBytes;
        if (first) field |= kFirstBlock;
        if (remaining <= block) field |= kLastBlock;
        if (!send(field, done, n)) return false;
        done += n;
        first = false;
    }
    return true;
}

}  // namespace

bool CTargetProtocolJTAG::ReadByte(uint32_t address, uint16_t count, uint8_t* buffer) {
    BeginCommand(kCmdReadByte);
    uint16_t echoed = 0;
    if (!AddDWord(address) || !AddWord(count) || !Exchange(count) || !CheckStatus("ReadByte") ||
        !GetResponseWORDs(&echoed, 1))
        return false;
    if (echoed != count) return fail("ReadByte failed, mismatched counts");
    return GetResponseBYTEs(buffer, count);
}

bool CTargetProtocolJTAG::WriteByte(uint32_t address, uint16_t count, const uint8_t* data) {
    BeginCommand(kCmdWriteByte);
    return AddDWord(address) && AddWord(count) && AddBytes(data, count) && Exchange() &&
           CheckStatus("WriteByte");
}

bool CTargetProtocolJTAG::ReadPeripheralWord(uint32_t address, uint16_t count, uint16_t* buffer) {
    BeginCommand(kCmdReadPeripheralWord);
    uint16_t echoed = 0;
    if (!AddDWord(address) || !AddWord(count) || !Exchange(2u * count) ||
        !CheckStatus("ReadWord") || !GetResponseWORDs(&echoed, 1))
        return false;
    if (echoed != count) return fail("ReadPeripheralWord failed, mismatched counts");
    return GetResponseWORDs(buffer, count);
}

bool CTargetProtocolJTAG::WritePeripheralWord(uint32_t address, uint16_t count,
                                              const uint16_t* data) {
    BeginCommand(kCmdWritePeripheralWord);
    return AddDWord(address) && AddWord(count) && AddWords(data, count) && Exchange() &&
           CheckStatus("WritePeripheralWord");
}

bool CTargetProtocolJTAG::ReadBytes(uint32_t address, uint32_t count, uint8_t* buffer) {
    return forEachBlock(address, count, kMaxBlockBytes, 1,
                        [&](uint32_t field, uint32_t at, uint32_t n) {
                            return ReadByte(field, static_cast<uint16_t>(n), buffer + at);
                        });
}

bool CTargetProtocolJTAG::WriteBytes(uint32_t address, uint32_t count, const uint8_t* data) {
    return forEachBlock(address, count, kMaxBlockBytes, 1,
                        [&](uint32_t field, uint32_t at, uint32_t n) {
                            return WriteByte(field, static_cast<uint16_t>(n), data + at);
                        });
}

bool CTargetProtocolJTAG::ReadWords(uint32_t address, uint32_t count, uint16_t* buffer) {
    if (address & 1) return false;
    return forEachBlock(address, count, kMaxBlockWords, 2,
                        [&](uint32_t field, uint32_t at, uint32_t n) {
                            return ReadPeripheralWord(field, static_cast<uint16_t>(n), buffer + at);
                        });
}

bool CTargetProtocolJTAG::WriteWords(uint32_t address, uint32_t count, const uint16_t* data) {
    if (address & 1) return false;
    return forEachBlock(address, count, kMaxBlockWords, 2,
                        [&](uint32_t field, uint32_t at, uint32_t n) {
                            return WritePeripheralWord(field, static_cast<uint16_t>(n), data + at);
                        });
}

}  // namespace nandrel
