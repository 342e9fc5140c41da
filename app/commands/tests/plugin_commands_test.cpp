// Overlay and Serialize with the shipped Vossil and Gantrel plug-ins, written
// into the chip behind the simulated pod.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/overlay.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/plugin_lists.h"

namespace kv::testing {
namespace {

const std::string kBin = KELVANE_BIN_DIR;

class PluginCommands : public CommandTest {
  protected:
    void SetUp() override {
        CommandTest::SetUp();
        ASSERT_EQ(CSerializerPlugins::LoadSerializerModules(kBin + "/Serializers.xml"), 1);
        ASSERT_EQ(COverlayPlugins::LoadOverlayModules(kBin + "/Overlays.xml"), 1);
    }
    void TearDown() override {
        params.Close();
        CSerializerPlugins::UnloadSerializerModules();
        COverlayPlugins::UnloadOverlayModules();
        CommandTest::TearDown();
    }

    // Opens the pod and its JTAG on the F149.
    void Start() {
        Plug();
        ASSERT_EQ(params.Open(f149, 3300, &bar, &status, &log, "Run", 10, 1, 0), 1)
            << params.GetLastError();
        CCommandDravik_Open open;
        open.SetParameters(3300);
        ASSERT_EQ(open.Execute(&params), 1) << open.GetLastError();
        std::string name;
        ASSERT_EQ(params.GetDravik()->Identify(name), 1) << params.GetDravik()->GetErrorText();
        log.Clear();
    }

    std::vector<uint8_t> Target(uint32_t address, uint32_t count) {
        std::vector<uint8_t> bytes(count);
        EXPECT_EQ(params.GetDravik()->ReadMemory(bytes.data(), address, count), 1);
        return bytes;
    }

    CExecuteParams params;
};

TEST_F(PluginCommands, DefaultsComeFromTheFirstAlgorithm) {
    std::string error;
    std::unique_ptr<CProjectTreeItem> item(CCommandSerialize::CreateDefault(error));
    ASSERT_NE(item, nullptr) << error;
    auto* serialize = static_cast<CCommandSerialize*>(item.get());
    EXPECT_EQ(serialize->GetTreeLabel(), "Serialize Default");
    EXPECT_EQ(serialize->GetModule(), "libvossil.so");
    EXPECT_EQ(serialize->GetAlgorithm(), "BYTE");
    EXPECT_EQ(serialize->GetAddress(), 0x1000u);
    EXPECT_EQ(serialize->GetGroup(), "Dravik");
    EXPECT_EQ(SavedElement(*serialize),
              "<Serialize \n\tstrName=\"Default\"\n\tdwAddress=\"0x00001000\"\n"
              "\tstrAlgorithm=\"BYTE\"\n\tstrModule=\"libvossil.so\"\n\tstrNextValue=\"" +
                  serialize->GetNextValue() +
                  "\"\n\tnCount=\"0\"\n\tbCountUp=\"TRUE\"\n></Serialize >\n");
    EXPECT_EQ(Declarations("Serialize"),
              "\t<!ELEMENT Serialize EMPTY >\n\t<!ATTLIST Serialize\n"
              "\t\tstrName CDATA #REQUIRED\n\t\tdwAddress CDATA #REQUIRED\n"
              "\t\tstrAlgorithm CDATA #REQUIRED\n\t\tstrModule CDATA #REQUIRED\n"
              "\t\tstrNextValue CDATA #REQUIRED\n\t\tnCount CDATA #REQUIRED\n"
              "\t\tbCountUp (FALSE|TRUE) #REQUIRED\n\t>\n");
    auto loaded = RoundTrip(*serialize);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(static_cast<CCommandSerialize*>(loaded.get())->GetModule(), "libvossil.so");

    std::unique_ptr<CProjectTreeItem> overlay(CCommandOverlay::CreateDefault(error));
    ASSERT_NE(overlay, nullptr) << error;
    EXPECT_EQ(overlay->GetTreeLabel(), "Overlay Default");

    CSerializerPlugins::UnloadSerializerModules();
    EXPECT_EQ(CCommandSerialize::CreateDefault(error), nullptr);
    EXPECT_EQ(error, "Cannot create default serializer with NULL algorithms");
}

TEST_F(PluginCommands, SerializeWritesTheValueAndAdvances) {
    Start();
    CCommandSerialize serialize;
    serialize.SetParameters("SN", "libvossil.so", "WORD", "4660", 0x0200, 5, 1);
    ASSERT_EQ(serialize.Execute(&params), 1) << serialize.GetLastError();
    EXPECT_EQ(Target(0x0200, 2), (std::vector<uint8_t>{0x34, 0x12}));
    EXPECT_EQ(serialize.GetNextValue(), "4661");
    EXPECT_EQ(serialize.GetCount(), 6);
    EXPECT_EQ(params.GetModified(), 1);
    EXPECT_EQ(log.Text(), "Serialize SN: 4660 to 0x0200 (libvossil.so::WORD) OK\n");
    EXPECT_EQ(status.texts.back(), "Serializing");

    serialize.SetCountUp(0);
    ASSERT_EQ(serialize.Execute(&params), 1) << serialize.GetLastError();
    EXPECT_EQ(Target(0x0200, 2), (std::vector<uint8_t>{0x35, 0x12}));
    EXPECT_EQ(serialize.GetCount(), 5);
}

TEST_F(PluginCommands, OverlayWritesWithoutMarkingTheRun) {
    Start();
    CCommandOverlay overlay;
    overlay.SetParameters("Text", "libgantrel.so", "String", "OK", 0x0210);
    ASSERT_EQ(overlay.Execute(&params), 1) << overlay.GetLastError();
    EXPECT_EQ(Target(0x0210, 2), (std::vector<uint8_t>{'O', 'K'}));
    EXPECT_EQ(params.GetModified(), 0);
    EXPECT_EQ(log.Text().rfind("Overlay Text: OK to 0x00000210 (libgantrel.so::String) ", 0), 0u)
        << log.Text();
}

TEST_F(PluginCommands, FailuresKeepTheNextValueAndCount) {
    Start();
    CCommandSerialize serialize;
    serialize.SetParameters("SN", "LIBVOSSIL.SO", "WORD", "7", 0x0200, 5, 1);
    EXPECT_EQ(serialize.Execute(&params), 0);
    EXPECT_EQ(serialize.GetLastError(), "Could not find serializer 'LIBVOSSIL.SO:WORD'");
    serialize.SetParameters("SN", "libvossil.so", "BYTE", "300", 0x0200, 5, 1);
    EXPECT_EQ(serialize.Execute(&params), 0);
    EXPECT_EQ(serialize.GetLastError().rfind("Serializer parse failed\n", 0), 0u);
    EXPECT_EQ(serialize.GetNextValue(), "300");
    EXPECT_EQ(serialize.GetCount(), 5);
    EXPECT_EQ(params.GetModified(), 0);

    CCommandOverlay overlay;
    overlay.SetParameters("X", "libgantrel.so", "Nothing", "1", 0x0200);
    EXPECT_EQ(overlay.Execute(&params), 0);
    EXPECT_EQ(overlay.GetLastError(), "Could not find Overlay 'libgantrel.so:Nothing'");
}

TEST_F(PluginCommands, InactiveCommandsDoNothing) {
    Start();
    CCommandSerialize serialize;
    serialize.SetParameters("SN", "", "", "7", 0x0200, 5, 1);
    int pod = 0, adapter = 0;
    serialize.GetRequiredInterfaces(&pod, &adapter);
    EXPECT_EQ(pod, 1);
    ASSERT_EQ(serialize.Execute(&params), 1);
    EXPECT_EQ(log.Text(), "Serialize SN:  inactiveOK\n");
    EXPECT_EQ(serialize.GetCount(), 5);
    EXPECT_EQ(serialize.GetNextValue(), "7");
}

}  // namespace
}  // namespace kv::testing
