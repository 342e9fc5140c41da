// The Serialize and Overlay pages with the shipped Vossil and Gantrel
// plug-ins: the method lists, the fields, and a command that names an
// algorithm that is not loaded.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <vector>

#include "kelvane/commands/overlay.h"
#include "kelvane/core/plugin_lists.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/plugin_pages.h"
#include "kelvane/ui/property_page_factory.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

const std::string kBin = KELVANE_BIN_DIR;

std::vector<std::string> Rows(const QComboBox* combo) {
    std::vector<std::string> rows;
    for (int i = 0; i < combo->count(); ++i)
        rows.push_back(combo->itemText(i).toStdString());
    return rows;
}

class PluginPages : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        previous = setMessageBoxHandler(
            [this](const std::string& text, const std::string&, unsigned type) {
                messages.push_back(text);
                return defaultAnswer(type);
            });
        ASSERT_EQ(CSerializerPlugins::LoadSerializerModules(kBin + "/Serializers.xml"), 1);
        ASSERT_EQ(COverlayPlugins::LoadOverlayModules(kBin + "/Overlays.xml"), 1);
    }
    void TearDown() override {
        CSerializerPlugins::UnloadSerializerModules();
        COverlayPlugins::UnloadOverlayModules();
        setMessageBoxHandler(std::move(previous));
        PageTest::TearDown();
    }
    std::unique_ptr<CCommandSerialize> Serialize(const std::string& module,
                                                 const std::string& algorithm) {
        auto command = std::make_unique<CCommandSerialize>();
        command->SetParameters("Board", module, algorithm, "41", 0x1040, 7, 0);
        InsertIntoTree(command.get());
        return command;
    }

    MessageBoxHandler previous;
    std::vector<std::string> messages;
};

TEST_F(PluginPages, MethodListsHoldEveryLoadedAlgorithm) {
    CDlgCmdSerialize serialize;
    EXPECT_EQ(Rows(serialize.MethodList()),
              (std::vector<std::string>{"BYTE (SS)", "WORD (SS)", "DWORD (SS)"}));
    EXPECT_EQ(serialize.MethodList()->currentIndex(), 0);
    EXPECT_EQ(serialize.AddressEdit()->text(), "0000");
    EXPECT_EQ(serialize.GetHelpText(), "");
    CDlgCmdOverlay overlay;
    EXPECT_EQ(Rows(overlay.MethodList()),
              (std::vector<std::string>{"Hex BYTE (SO)", "Hex WORD (SO)", "Hex DWORD (SO)",
                                        "String (SO)"}));
    EXPECT_EQ(overlay.GetHelpText(), "");
}

TEST_F(PluginPages, SerializePageShowsAndWritesEveryField) {
    auto command = Serialize("libvossil.so", "WORD");
    CDlgCmdSerialize page;
    page.SetItem(command.get());
    EXPECT_EQ(page.NameEdit()->text(), "Board");
    EXPECT_EQ(page.MethodList()->currentText(), "WORD (SS)");
    EXPECT_EQ(page.ValueEdit()->text(), "41");
    EXPECT_EQ(page.AddressEdit()->text(), "1040");
    EXPECT_EQ(page.CountEdit()->text(), "7");
    EXPECT_FALSE(page.CountUpBox()->isChecked());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(modifiedCount, 0);

    page.NameEdit()->setText(QStringLiteral("Lot 7"));
    EXPECT_EQ(command->GetName(), "Lot 7");
    EXPECT_EQ(TreeLabel(command.get()), "Serialize Lot 7");
    page.MethodList()->setCurrentIndex(2);
    EXPECT_EQ(command->GetModule(), "libvossil.so");
    EXPECT_EQ(command->GetAlgorithm(), "DWORD");
    page.ValueEdit()->setText(QStringLiteral("1000"));
    EXPECT_EQ(command->GetNextValue(), "1000");
    page.AddressEdit()->selectAll();
    QTest::keyClicks(page.AddressEdit(), "1FF0");
    EXPECT_EQ(command->GetAddress(), 0x1FF0u);
    page.AddressEdit()->clear();
    EXPECT_EQ(command->GetAddress(), 0u) << "an empty address stores 0";
    page.CountEdit()->setText(QStringLiteral("-12"));
    EXPECT_EQ(command->GetCount(), -12);
    page.CountEdit()->setText(QStringLiteral("twelve"));
    EXPECT_EQ(command->GetCount(), 0);
    page.CountUpBox()->click();
    EXPECT_EQ(command->GetCountUp(), 1);
    EXPECT_GT(modifiedCount, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(PluginPages, AnAlgorithmThatIsNotLoadedIsReplacedByTheFirst) {
    // Module names match in any letter case, algorithm names only exactly.
    auto other = Serialize("LIBVOSSIL.SO", "DWORD");
    CDlgCmdSerialize page;
    page.SetItem(other.get());
    EXPECT_EQ(page.MethodList()->currentText(), "DWORD (SS)");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(modifiedCount, 0);

    auto command = Serialize("libvossil.so", "word");
    page.SetItem(command.get());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "Could not find serializer module 'libvossil.so' with algorithm 'word'\n"
              "Setting selection to first available option");
    EXPECT_EQ(page.MethodList()->currentIndex(), 0);
    EXPECT_EQ(command->GetModule(), "libvossil.so");
    EXPECT_EQ(command->GetAlgorithm(), "BYTE");
    EXPECT_GT(modifiedCount, 0);

    auto overlay = std::make_unique<CCommandOverlay>();
    overlay->SetParameters("Cal", "libmissing.so", "Hex WORD", "12AB", 0x1000);
    CDlgCmdOverlay overlayPage;
    overlayPage.SetItem(overlay.get());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1],
              "Could not find overlay module 'libmissing.so' with algorithm 'Hex WORD'\n"
              "Setting selection to first available option");
    EXPECT_EQ(overlay->GetModule(), "libgantrel.so");
    EXPECT_EQ(overlay->GetAlgorithm(), "Hex BYTE");
    EXPECT_EQ(overlayPage.ValueEdit()->text(), "12AB");
}

TEST_F(PluginPages, WithoutPluginsTheListSaysNoneAndChangesNothing) {
    CSerializerPlugins::UnloadSerializerModules();
    auto command = Serialize("libvossil.so", "WORD");
    CDlgCmdSerialize page;
    EXPECT_EQ(Rows(page.MethodList()), (std::vector<std::string>{"None"}));
    page.SetItem(command.get());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(command->GetAlgorithm(), "WORD") << "nothing to switch to";
    // Choosing "None" is refused with its message.
    page.MethodList()->setCurrentIndex(-1);
    page.MethodList()->setCurrentIndex(0);
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.back(),
              "Missing serializer in CDlgCmdSerialize::OnSelChangeListSerializerMethod()");
    EXPECT_EQ(command->GetModule(), "libvossil.so");
    EXPECT_EQ(command->GetAlgorithm(), "WORD");
}

TEST_F(PluginPages, RefreshShowsTheNextSerialNumberAndCount) {
    auto command = Serialize("libvossil.so", "BYTE");
    auto page = CreatePropertyPageFor("Serialize");
    ASSERT_NE(page, nullptr);
    page->SetItem(command.get());
    auto* serialize = dynamic_cast<CDlgCmdSerialize*>(page.get());
    ASSERT_NE(serialize, nullptr);
    command->SetNextValue("42");
    command->StepCount();
    page->Refresh();
    EXPECT_EQ(serialize->ValueEdit()->text(), "42");
    EXPECT_EQ(serialize->CountEdit()->text(), "6");

    // The overlay page shows overlays only.
    auto overlayPage = CreatePropertyPageFor("Overlay");
    ASSERT_NE(overlayPage, nullptr);
    overlayPage->SetItem(command.get());
    EXPECT_EQ(overlayPage->GetItem(), nullptr);
}

}  // namespace
}  // namespace kv::ui::testing
