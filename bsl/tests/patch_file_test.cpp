// The loader patch: the simulator's PATCH.TXT is the encoder's patch code, it
// is applied on the old loader and not on the new one, blocks go through it,
// and without it the old loader's blocks are refused with a text that asks
// for the file.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "hesmark_fixture.h"
#include "kelvane/core/text_hex_file.h"
#include "kelvane/sim/loader_patch.h"

namespace {

using hesmarktest::HesmarkTest;

std::filesystem::path ProgramDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

class PatchFile : public ::testing::Test {};

TEST_F(PatchFile, SimulatorPatchIsTheEncodedPatch) {
    std::ifstream in(KELVANE_PATCH_FILE, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, kv::sim::loaderPatchText());
    kv::CTextHexFile image(kv::kBootloaderHexBuild);
    ASSERT_EQ(image.Open(KELVANE_PATCH_FILE, kv::CHexImageFile::kModeRead), 1);
    const std::vector<uint8_t> code = kv::sim::loaderPatchCode();
    EXPECT_EQ(image.GetStartAddress(), kv::sim::kLoaderPatchAddress);
    EXPECT_EQ(image.GetTotalBytes(), code.size());
    std::vector<uint8_t> flat(code.size());
    ASSERT_EQ(image.ExtractBlock(flat.data(), kv::sim::kLoaderPatchAddress,
                                 static_cast<uint32_t>(flat.size())),
              1);
    EXPECT_EQ(flat, code);
    // The build keeps its copy with the simulator, not beside the programs.
    std::ifstream copy(KELVANE_SIM_PATCH_COPY, std::ios::binary);
    const std::string copied((std::istreambuf_iterator<char>(copy)),
                             std::istreambuf_iterator<char>());
    EXPECT_EQ(copied, text);
    EXPECT_NE(std::filesystem::path(KELVANE_SIM_PATCH_COPY).parent_path(), ProgramDirectory());
}

class OldLoader : public HesmarkTest {
  protected:
    OldLoader() : HesmarkTest(hesmarktest::OldLoaderChip(), false) {}
};

TEST_F(OldLoader, PatchAppliedAfterPasswordAndUsedForBlocks) {
    ASSERT_EQ(Open_Hesmark(0, 9600), 1);
    ASSERT_EQ(SetPatchFile_Hesmark(KELVANE_PATCH_FILE), 1) << LastError();
    ASSERT_EQ(InitializeAdapter_Hesmark(), 1);
    ASSERT_EQ(InitializeTarget_Hesmark(0), 1);
    ClearLogs();
    ASSERT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
    EXPECT_EQ(IsPatchRequired_Hesmark(), 1);
    const std::vector<uint8_t> code = kv::sim::loaderPatchCode();
    EXPECT_EQ(Peek(kv::sim::kLoaderPatchAddress, code.size()), code);
    // Password, processor information, restart, password again, the patch written.
    const auto frames = Frames();
    ASSERT_GE(frames.size(), 5u);
    EXPECT_EQ(frames[0].command, 0x10);
    EXPECT_EQ(frames[1].command, 0x14);
    EXPECT_EQ(frames[2].command, 0x1A);
    EXPECT_EQ(frames[2].address, 0x0C22);
    EXPECT_EQ(frames[3].command, 0x10);
    EXPECT_EQ(Logs(),
              (std::vector<std::string>{"", "Setting password", "", "Reading processor information",
                                        "", "Set password successful"}));

    ClearLogs();
    const uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_EQ(TxData_Hesmark(0xE000, data, 4, 1), 1) << LastError();
    EXPECT_EQ(Peek(0xE000, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    std::vector<uint8_t> commands;
    for (const auto& f : Frames())
        commands.push_back(f.command);
    EXPECT_EQ(commands, (std::vector<uint8_t>{0x1A, 0x12, 0x1A, 0x14}));
    EXPECT_EQ(Frames(0x1A)[0].address, kv::sim::kLoaderPatchAddress);
}

TEST_F(OldLoader, WithoutPatchBlocksAreRefused) {
    uint32_t off = 0;
    ASSERT_EQ(SetOption_Hesmark(HESMARK_OPTION_AUTO_PATCH, &off), 1);
    StartUnlocked();
    EXPECT_EQ(IsPatchRequired_Hesmark(), 1);
    const uint8_t data[2] = {1, 2};
    EXPECT_EQ(TxData_Hesmark(0xE000, data, 2, 0), 0);
    EXPECT_EQ(LastError(), "Ack failed, returned A0");
}

TEST_F(OldLoader, WithoutPatchFileBlocksAreRefusedWithATextNamingTheFile) {
    Start();
    ASSERT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
    EXPECT_EQ(IsPatchRequired_Hesmark(), 1);
    EXPECT_TRUE(Frames(0x1A).empty());
    ClearLogs();
    const uint8_t data[2] = {1, 2};
    uint8_t buffer[2] = {};
    uint32_t got = 0;
    EXPECT_EQ(TxData_Hesmark(0xE000, data, 2, 0), 0);
    EXPECT_EQ(LastError(), "Bootstrap loader 1.10 needs the loader patch, and no patch file was given");
    EXPECT_EQ(RxData_Hesmark(0xE000, buffer, 2, &got), 0);
    EXPECT_TRUE(Frames().empty()) << "nothing reaches the loader";
    EXPECT_EQ(MassErase_Hesmark(), 1) << "commands without data blocks still run";

    // The patch file named but not there: the text names it.
    const std::string missing = TempPath("PATCH.TXT");
    EXPECT_EQ(SetPatchFile_Hesmark(missing.c_str()), 0);
    EXPECT_EQ(LastError(), "Unable to open patch file " + missing);
    // A folder of that name is no file, and the text says so.
    const std::string folder = TempPath("PATCH.DIR");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(SetPatchFile_Hesmark(folder.c_str()), 0);
    EXPECT_EQ(LastError(), "Unable to open patch file " + folder + "\n" + folder +
                               " is a folder, not a file");
    std::filesystem::remove(folder);
    EXPECT_EQ(SetPatchFile_Hesmark(missing.c_str()), 0);
    ASSERT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
    EXPECT_EQ(TxData_Hesmark(0xE000, data, 2, 1), 0);
    EXPECT_EQ(LastError(),
              "Bootstrap loader 1.10 needs the loader patch: supply the patch file " + missing);

    // Supplied, and the password sent again: the blocks go through the patch.
    ASSERT_EQ(SetPatchFile_Hesmark(KELVANE_PATCH_FILE), 1) << LastError();
    ASSERT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
    ASSERT_EQ(TxData_Hesmark(0xE000, data, 2, 1), 1) << LastError();
    EXPECT_EQ(Peek(0xE000, 2), (std::vector<uint8_t>{1, 2}));
}

TEST_F(OldLoader, PatchDroppedWhileActive) {
    ASSERT_EQ(Open_Hesmark(0, 9600), 1);
    ASSERT_EQ(SetPatchFile_Hesmark(KELVANE_PATCH_FILE), 1) << LastError();
    ASSERT_EQ(InitializeAdapter_Hesmark(), 1);
    ASSERT_EQ(InitializeTarget_Hesmark(0), 1);
    ASSERT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
    EXPECT_EQ(SetPatchFile_Hesmark(TempPath("none.txt").c_str()), 0);
    uint8_t buffer[2];
    uint32_t got = 0;
    EXPECT_EQ(RxData_Hesmark(0xE000, buffer, 2, &got), 0);
    EXPECT_EQ(LastError(), "No patch file available");
}

using NewLoader = HesmarkTest;

TEST_F(NewLoader, PatchNotApplied) {
    ASSERT_EQ(Open_Hesmark(0, 9600), 1);
    ASSERT_EQ(SetPatchFile_Hesmark(KELVANE_PATCH_FILE), 1) << LastError();
    ASSERT_EQ(InitializeAdapter_Hesmark(), 1);
    ASSERT_EQ(InitializeTarget_Hesmark(0), 1);
    ClearLogs();
    ASSERT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
    EXPECT_EQ(IsPatchRequired_Hesmark(), 0);
    const std::vector<uint8_t> code = kv::sim::loaderPatchCode();
    EXPECT_NE(Peek(kv::sim::kLoaderPatchAddress, code.size()), code);
    const uint8_t data[2] = {1, 2};
    ASSERT_EQ(TxData_Hesmark(0xE000, data, 2, 0), 1) << LastError();
    EXPECT_TRUE(Frames(0x1A).empty());
}

}  // namespace
