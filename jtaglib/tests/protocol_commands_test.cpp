// The pod command table on the wire: the exact request bytes of every command,
// the parsing of its reply, and the failure texts of the status replies.
#include <gmock/gmock.h>

#include <functional>

#include "kelvane/platform/bit_reverse.h"
#include "scripted_pod.h"

namespace {

using kv::BitReverseByte;
using nandrel::CTargetProtocolJTAG;
using ::testing::HasSubstr;

struct CommandCase {
    const char* name;
    std::function<bool(CTargetProtocolJTAG&)> call;
    Bytes request;
    Bytes reply;  // scripted for the command byte; empty: the command has no reply
};

class ProtocolCommands : public ScriptedPodTest {};

TEST_F(ProtocolCommands, EveryCommandSendsItsExactBytes) {
    uint8_t b = 0, b2 = 0;
    uint16_t w = 0;
    uint32_t d = 0;
    bool flag = false;
    const uint8_t config[4] = {12, 0x41, 0x02, 0x89};
    const uint16_t configWords[3] = {3, 0x7000, 0x0200};
    const std::vector<CommandCase> cases = {
        {"FuseCommand",
         [&](auto& p) { return p.FuseCommand(0x05, &b, &b2); },
         {26, 0x05, 128},
         {27, 0x01, 0x05}},
        {"ExecuteFirmwareInstruction",
         [&](auto& p) { return p.ExecuteFirmwareInstruction(0x1234, 0x5678, 0x9ABC, &w); },
         {28, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC},
         {29, 0, 0x43, 0x21}},
        {"ExecuteDebug", [&](auto& p) { return p.ExecuteDebug(); }, {30}, {31, 1, 2, 3, 4}},
        {"EnableJTAG", [&](auto& p) { return p.EnableJTAG(); }, {32}, {}},
        {"ReleaseJTAG", [&](auto& p) { return p.ReleaseJTAG(); }, {33}, {}},
        {"SetLine36 on", [&](auto& p) { return p.SetLine36(true); }, {36}, {}},
        {"SetLine36 off", [&](auto& p) { return p.SetLine36(false); }, {37}, {}},
        {"SetLine38 on", [&](auto& p) { return p.SetLine38(true); }, {38}, {}},
        {"SetLine38 off", [&](auto& p) { return p.SetLine38(false); }, {39}, {}},
        {"SetLine40", [&](auto& p) { return p.SetLine40(2); }, {40, 2}, {}},
        {"SetSupply2", [&](auto& p) { return p.SetSupply2(2500); }, {54, 0x09, 0xC4}, {}},
        {"SetSupply2 off", [&](auto& p) { return p.SetSupply2(0); }, {55}, {}},
        {"IrShift", [&](auto& p) { return p.IrShift(0x13, &b); }, {56, 0xC8}, {57, 0x89}},
        {"DrShift8", [&](auto& p) { return p.DrShift8(0xA5, &b); }, {58, 0xA5}, {59, 0x5A}},
        {"DrShift16",
         [&](auto& p) { return p.DrShift16(0xAAAA, &w); },
         {60, 0xAA, 0xAA},
         {61, 0x55, 0x55}},
        {"IrDrShift16",
         [&](auto& p) { return p.IrDrShift16(0x13, 0x2401, &w); },
         {64, 0xC8, 0x24, 0x01},
         {65, 0x12, 0x34}},
        {"IsAtInstructionLoad",
         [&](auto& p) { return p.IsAtInstructionLoad(&flag); },
         {66},
         {67, 0}},
        {"ReadLong", [&](auto& p) { return p.ReadLong(&d); }, {68}, {69, 0x00, 0x01, 0xF0, 0x00}},
        {"Exchange70",
         [&](auto& p) { return p.Exchange70(0x0401, &w); },
         {70, 0x04, 0x01},
         {71, 0xBE, 0xEF}},
        {"Exchange72",
         [&](auto& p) { return p.Exchange72(0x0102, &b); },
         {72, 0x01, 0x02},
         {73, 0x77}},
        {"Exchange74", [&](auto& p) { return p.Exchange74(1, &b); }, {74, 0x00, 0x01}, {75, 9}},
        {"SetPC", [&](auto& p) { return p.SetPC(0x1F000); }, {76, 0x00, 0x01, 0xF0, 0x00}, {77, 0}},
        {"ClockToInstructionLoad",
         [&](auto& p) { return p.ClockToInstructionLoad(3); },
         {78, 3},
         {79, 0}},
        {"CycleStart", [&](auto& p) { return p.CycleStart(); }, {80}, {81, 0}},
        {"SetInstruction", [&](auto& p) { return p.SetInstruction(0x4303); }, {82, 0x43, 0x03}, {}},
        {"CycleEnd", [&](auto& p) { return p.CycleEnd(); }, {84}, {85, 0}},
        {"IrDrShift16b",
         [&](auto& p) { return p.IrDrShift16b(0x83, 0x0200, &w); },
         {86, 0xC1, 0x02, 0x00},
         {87, 0x00, 0x00}},
        {"VerifyPSA",
         [&](auto& p) { return p.VerifyPSA(0x1F000, 0x0100, &w); },
         {92, 0x00, 0x01, 0xF0, 0x00, 0x01, 0x00},
         {93, 0, 0x12, 0x34}},
        {"ExecuteFuseBlow", [&](auto& p) { return p.ExecuteFuseBlow(); }, {94}, {95, 0}},
        {"ReleaseCPU", [&](auto& p) { return p.ReleaseCPU(); }, {114}, {115, 0}},
        {"SyncCPU", [&](auto& p) { return p.SyncCPU(); }, {116}, {117, 0}},
        {"SetMDB", [&](auto& p) { return p.SetMDB(0x3FFF); }, {118, 0x3F, 0xFF}, {119, 0}},
        {"ExecuteInstruction3",
         [&](auto& p) { return p.ExecuteInstruction3(0x40B2, 0x5A80, 0x0120); },
         {162, 0x40, 0xB2, 0x5A, 0x80, 0x01, 0x20},
         {}},
        {"ResetTap", [&](auto& p) { return p.ResetTap(); }, {166}, {}},
        {"CheckFuse", [&](auto& p) { return p.CheckFuse(); }, {168}, {}},
        {"SendConfiguration",
         [&](auto& p) { return p.SendConfiguration(config, configWords); },
         {170, 12, 0x41, 0x02, 0x89, 0x00, 0x03, 0x70, 0x00, 0x02, 0x00},
         {}},
        {"SetJtagMode", [&](auto& p) { return p.SetJtagMode(2); }, {172, 2}, {}},
        {"CommandInstruction",
         [&](auto& p) { return p.CommandInstruction(0x29); },
         {174, 0x94},
         {175, 0}},
        {"ReadRegister",
         [&](auto& p) { return p.ReadRegister(5, &d); },
         {176, 5},
         {177, 0, 0x00, 0x00, 0x12, 0x34}},
        {"WriteRegister",
         [&](auto& p) { return p.WriteRegister(15, 0xABCDE); },
         {178, 15, 0x00, 0x0A, 0xBC, 0xDE},
         {179, 0}},
        {"ExecuteCode_Prepare", [&](auto& p) { return p.ExecuteCode_Prepare(); }, {192}, {193, 0}},
        {"ExecuteCode_Release",
         [&](auto& p) { return p.ExecuteCode_Release(0x0200, 0x0240, 0x1388); },
         {194, 0, 0, 0x02, 0x00, 0, 0, 0x02, 0x40, 0x13, 0x88},
         {195, 0}},
        {"EEM_ReadControl",
         [&](auto& p) { return p.EEM_ReadControl(&w); },
         {224},
         {225, 0, 0x00, 0x0F}},
        {"EEM_WriteControl",
         [&](auto& p) { return p.EEM_WriteControl(0x0F); },
         {226, 0x00, 0x0F},
         {227, 0}},
        {"EEM_ReadTrigger",
         [&](auto& p) { return p.EEM_ReadTrigger(&w); },
         {232},
         {233, 0, 0x00, 0x80}},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        pod->writes.clear();
        if (!c.reply.empty()) pod->reply(c.request[0], c.reply);
        EXPECT_TRUE(c.call(protocol)) << protocol.errorText();
        ASSERT_EQ(pod->writes.size(), 1u);
        EXPECT_EQ(pod->writes[0], c.request);
    }
}

TEST_F(ProtocolCommands, RepliesAreTakenBigEndian) {
    uint16_t w = 0;
    uint32_t d = 0;
    uint8_t result = 0, bits = 0;
    pod->reply(26, {27, 0x01, 0x35});
    ASSERT_TRUE(protocol.FuseCommand(0x05, &result, &bits));
    EXPECT_EQ(result, 0x01);
    EXPECT_EQ(bits, 0x35);
    pod->reply(176, {177, 0, 0x00, 0x01, 0x23, 0x45});
    ASSERT_TRUE(protocol.ReadRegister(0, &d));
    EXPECT_EQ(d, 0x12345u);
    pod->reply(68, {69, 0x00, 0x01, 0xF0, 0x02});
    ASSERT_TRUE(protocol.ReadLong(&d));
    EXPECT_EQ(d, 0x1F002u);
    pod->reply(92, {93, 0, 0xBE, 0xEF});
    ASSERT_TRUE(protocol.VerifyPSA(0x1100, 16, &w));
    EXPECT_EQ(w, 0xBEEF);
    pod->reply(28, {29, 0, 0x43, 0x21});
    ASSERT_TRUE(protocol.ExecuteFirmwareInstruction(1, 2, 3, nullptr));  // result may be null
}

TEST_F(ProtocolCommands, InstructionBytesAreBitReversed) {
    EXPECT_EQ(BitReverseByte[0x01], 0x80);
    EXPECT_EQ(BitReverseByte[0x14], 0x28);
    EXPECT_EQ(BitReverseByte[0xFF], 0xFF);
    EXPECT_EQ(BitReverseByte[0xF0], 0x0F);
    for (unsigned v = 0; v < 256; ++v)
        EXPECT_EQ(BitReverseByte[BitReverseByte[v]], v);
    uint8_t id = 0;
    pod->reply(56, {57, 0x89});
    ASSERT_TRUE(protocol.IrShift(0xFF, &id));
    EXPECT_EQ(pod->writes.back(), (Bytes{56, 0xFF}));
    EXPECT_EQ(id, 0x89);
}

TEST_F(ProtocolCommands, TckAndTclkStatesMapToTheirCommands) {
    for (uint32_t state = 0; state < 4; ++state) {
        ASSERT_TRUE(protocol.SetTCK(state));
        ASSERT_TRUE(protocol.SetTCLK(state));
    }
    EXPECT_EQ(pod->allBytes(), (Bytes{45, 49, 44, 48, 46, 50, 47, 51}));
    pod->writes.clear();
    EXPECT_FALSE(protocol.SetTCK(4));
    EXPECT_EQ(protocol.errorText(), "Unknown TCK state 4");
    EXPECT_FALSE(protocol.SetTCLK(4));
    EXPECT_EQ(protocol.errorText(), "Unknown TCLK state 4");
    EXPECT_TRUE(pod->writes.empty());
}

TEST_F(ProtocolCommands, SupplyCommandsAndTheirSettlingWait) {
    const uint32_t start = manual.tickCount();
    ASSERT_TRUE(protocol.SetVCC(3000));
    EXPECT_EQ(manual.tickCount() - start, 10u);
    ASSERT_TRUE(protocol.SetVCC(0));
    EXPECT_EQ(manual.tickCount() - start, 20u);
    ASSERT_EQ(pod->writes.size(), 2u);
    EXPECT_EQ(pod->writes[0], (Bytes{52, 0x0B, 0xB8}));
    EXPECT_EQ(pod->writes[1], (Bytes{53}));
}

TEST_F(ProtocolCommands, LineModeSendsItsCommandAndReturnsThePreviousMode) {
    EXPECT_EQ(protocol.SetLineMode(2), 1u);
    EXPECT_EQ(protocol.SetLineMode(1), 2u);
    EXPECT_EQ(protocol.SetLineMode(0), 1u);
    EXPECT_EQ(pod->allBytes(), (Bytes{35, 34, 35}));
}

TEST_F(ProtocolCommands, StatusFailuresNameTheOperationAndTheCode) {
    const std::vector<std::tuple<uint8_t, std::function<bool()>, std::string>> cases = {
        {29, [&] { return protocol.ExecuteFirmwareInstruction(0, 0, 0, nullptr); },
         "ExecuteFirmwareInstruction failed (5)"},
        {77, [&] { return protocol.SetPC(0); }, "SetPC failed (5)"},
        {79, [&] { return protocol.ClockToInstructionLoad(1); },
         "ClockToInstructionLoad failed (5)"},
        {81, [&] { return protocol.CycleStart(); }, "CycleStart failed (5)"},
        {85, [&] { return protocol.CycleEnd(); }, "CycleEnd failed (5)"},
        {93, [&] { return protocol.VerifyPSA(0, 1, nullptr); }, "VerifyPSA failed (5)"},
        {95, [&] { return protocol.ExecuteFuseBlow(); }, "ExecuteFuseBlow failed (5)"},
        {115, [&] { return protocol.ReleaseCPU(); }, "ReleaseCPU failed (5)"},
        {117, [&] { return protocol.SyncCPU(); }, "SyncCPU failed (5)"},
        {119, [&] { return protocol.SetMDB(0); }, "SetMDB failed (5)"},
        {175, [&] { return protocol.CommandInstruction(0); }, "CommandInstruction failed (5)"},
        {177, [&] { return protocol.ReadRegister(0, nullptr); }, "ReadRegister failed (5)"},
        {179, [&] { return protocol.WriteRegister(0, 0); }, "WriteRegister failed (5)"},
        {193, [&] { return protocol.ExecuteCode_Prepare(); }, "ExecuteCode_Prepare failed (5)"},
        {195, [&] { return protocol.ExecuteCode_Release(0, 0, 0); },
         "ExecuteCode_Release failed (5)"},
        {225, [&] { return protocol.EEM_ReadControl(nullptr); }, "EEM_ReadControl failed (5)"},
        {227, [&] { return protocol.EEM_WriteControl(0); }, "EEM_WriteControl failed (5)"},
        {233, [&] { return protocol.EEM_ReadTrigger(nullptr); }, "EEM_ReadTrigger failed (5)"},
        {235, [&] { return protocol.EEM_DataExchange(0, nullptr); }, "EEM_DataExchange failed (5)"},
    };
    // Every reply has its full length: the status byte, then zeros.
    static const std::map<uint8_t, size_t> kLength = {{29, 3},  {93, 3},  {177, 5},
                                                      {225, 3}, {233, 3}, {235, 5}};
    for (const auto& [id, call, text] : cases) {
        SCOPED_TRACE(text);
        Bytes reply(1 + (kLength.count(id) ? kLength.at(id) : 1), 0);
        reply[0] = id;
        reply[1] = 5;
        pod->reply(static_cast<uint8_t>(id - 1), reply);
        EXPECT_FALSE(call());
        EXPECT_EQ(protocol.errorText(), text);
    }
}

TEST_F(ProtocolCommands, IsAtInstructionLoadSetsTheFlagOnlyOnStatusZero) {
    bool atLoad = true;
    pod->reply(66, {67, 3});
    EXPECT_FALSE(protocol.IsAtInstructionLoad(&atLoad));
    EXPECT_FALSE(atLoad);
    EXPECT_EQ(protocol.errorText(), "IsAtInstructionLoad failed (3)");
    pod->reply(66, {67, 0});
    EXPECT_TRUE(protocol.IsAtInstructionLoad(&atLoad));
    EXPECT_TRUE(atLoad);
}

TEST_F(ProtocolCommands, OutputsAreClearedAndStayClearedOnFailure) {
    uint32_t value = 0xFFFFFFFF;
    pod->reply(176, {177, 7, 0x11, 0x22, 0x33, 0x44});
    EXPECT_FALSE(protocol.ReadRegister(4, &value));
    EXPECT_EQ(value, 0u);
    uint16_t psa = 0xFFFF;
    pod->reply(92, {93, 1, 0xAB, 0xCD});
    EXPECT_FALSE(protocol.VerifyPSA(0, 1, &psa));
    EXPECT_EQ(psa, 0);
}

TEST_F(ProtocolCommands, PucTakesAndReturnsItsThreeWords) {
    uint16_t general = 0x0001, clock = 0x0026, module = 0x60D7;
    pod->reply(112, {113, 0, 0x00, 0x02, 0x00, 0x2E, 0x00, 0x29});
    ASSERT_TRUE(protocol.PUC(&general, &clock, &module)) << protocol.errorText();
    EXPECT_EQ(pod->writes.back(), (Bytes{112, 0x00, 0x01, 0x00, 0x26, 0x60, 0xD7}));
    EXPECT_EQ(general, 0x0002);
    EXPECT_EQ(clock, 0x002E);
    EXPECT_EQ(module, 0x0029);

    pod->writes.clear();
    EXPECT_FALSE(protocol.PUC(nullptr, &clock, &module));
    EXPECT_EQ(protocol.errorText(), "PUC called with NULL pwGeneralControl");
    EXPECT_FALSE(protocol.PUC(&general, nullptr, &module));
    EXPECT_EQ(protocol.errorText(), "PUC called with NULL pwClockControl");
    EXPECT_FALSE(protocol.PUC(&general, &clock, nullptr));
    EXPECT_EQ(protocol.errorText(), "PUC called with NULL pwModuleClockControl0");
    EXPECT_TRUE(pod->writes.empty());

    pod->reply(112, {113, 9, 0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(protocol.PUC(&general, &clock, &module));
    EXPECT_EQ(protocol.errorText(), "PUC failed (9)");
    EXPECT_EQ(general, 0x0002);
}

TEST_F(ProtocolCommands, EemWriteRegisterSendsTheValueAsTwoWords) {
    uint16_t clock = 0x0026, module = 0x60D7;
    pod->reply(230, {231, 0, 0x00, 0x2E, 0x00, 0x29});
    ASSERT_TRUE(protocol.EEM_WriteRegister(130, 0x00012345, &clock, &module));
    EXPECT_EQ(pod->writes.back(),
              (Bytes{230, 0x00, 0x82, 0x00, 0x01, 0x23, 0x45, 0x00, 0x26, 0x60, 0xD7}));
    EXPECT_EQ(clock, 0x002E);
    EXPECT_EQ(module, 0x0029);
    EXPECT_FALSE(protocol.EEM_WriteRegister(130, 0, nullptr, &module));
    EXPECT_EQ(protocol.errorText(), "EEM_WriteRegister called with NULL pwClockControl");
    EXPECT_FALSE(protocol.EEM_WriteRegister(130, 0, &clock, nullptr));
    EXPECT_EQ(protocol.errorText(), "EEM_WriteRegister called with NULL pwModuleClockControl0");
}

TEST_F(ProtocolCommands, EemDataExchangeUsesOnePointerBothWays) {
    uint32_t value = 0x00ABCDEF;
    pod->reply(234, {235, 0, 0x00, 0x00, 0x12, 0x34});
    ASSERT_TRUE(protocol.EEM_DataExchange(0x0083, &value));
    EXPECT_EQ(pod->writes.back(), (Bytes{234, 0x00, 0x83, 0x00, 0xAB, 0xCD, 0xEF}));
    EXPECT_EQ(value, 0x1234u);
    // Without a pointer 0 goes out; the reply is read whole all the same.
    pod->reply(234, {235, 0, 0x00, 0x00, 0x12, 0x34});
    ASSERT_TRUE(protocol.EEM_DataExchange(0x0082, nullptr));
    EXPECT_EQ(pod->writes.back(), (Bytes{234, 0x00, 0x82, 0, 0, 0, 0}));
    EXPECT_TRUE(protocol.ResetTap()) << "no reply byte may stay behind";
}

TEST_F(ProtocolCommands, LastPodStatusRules) {
    pod->reply(114, {115, 4});
    EXPECT_FALSE(protocol.ReleaseCPU());
    EXPECT_EQ(protocol.lastPodStatus(), 4u);
    // Release and sync leave it as it was on success.
    pod->reply(116, {117, 0});
    EXPECT_TRUE(protocol.SyncCPU());
    EXPECT_EQ(protocol.lastPodStatus(), 4u);
    // Commands outside CPU control and EEM neither keep nor clear it.
    pod->reply(76, {77, 6});
    EXPECT_FALSE(protocol.SetPC(0));
    EXPECT_EQ(protocol.lastPodStatus(), 4u);
    // EEM commands and PUC clear it when they start.
    pod->reply(226, {227, 0});
    EXPECT_TRUE(protocol.EEM_WriteControl(0));
    EXPECT_EQ(protocol.lastPodStatus(), 0u);
    pod->reply(116, {117, 8});
    EXPECT_FALSE(protocol.SyncCPU());
    std::string text;
    uint32_t status = 0;
    protocol.GetErrorTextAndStatus(&text, &status);
    EXPECT_EQ(text, "SyncCPU failed (8)");
    EXPECT_EQ(status, 8u);
    uint16_t a = 0, b = 0, c = 0;
    pod->reply(112, {113, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(protocol.PUC(&a, &b, &c));
    EXPECT_EQ(protocol.lastPodStatus(), 0u);
}

TEST_F(ProtocolCommands, CompositesOfTheJtagLink) {
    const uint32_t start = manual.tickCount();
    ASSERT_TRUE(protocol.RestartJTAG());
    EXPECT_EQ(manual.tickCount() - start, 10u);
    ASSERT_TRUE(protocol.StopJTAG());
    uint8_t out = 0;
    pod->reply(56, {57, 0x00});
    pod->reply(58, {59, 0x3C});
    ASSERT_TRUE(protocol.ShiftIrDr8(0xC3, &out));
    EXPECT_EQ(out, 0x3C);
    EXPECT_EQ(pod->allBytes(), (Bytes{33, 55, 32, 33, 56, 0x88, 58, 0xC3}));
}

}  // namespace
