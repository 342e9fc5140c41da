#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <memory>

#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_vcc.h"
#include "kelvane/ui/dravik_connection_pages.h"
#include "kelvane/ui/help_only_pages.h"
#include "kelvane/ui/property_page_factory.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

using ConnectionPages = PageTest;

TEST_F(ConnectionPages, CloseCheckBoxWritesVccOff) {
    std::string error;
    std::unique_ptr<CCommandDravik_Close> close(CCommandDravik_Close::Create(error, 0));
    ASSERT_NE(close, nullptr) << error;
    CDlgCmdDravik_Close page;
    page.SetItem(close.get());
    EXPECT_FALSE(page.VccOff()->isChecked());
    page.VccOff()->click();
    EXPECT_EQ(close->GetVccOff(), 1);
    EXPECT_EQ(modifiedCount, 1);
    EXPECT_EQ(page.GetHelpText(),
              "If VCC Off is checked, then power will be removed from the target board after the "
              "JTAG connection is closed\n\nIf left unchecked, then power will remain as currently "
              "set when this command is executed.");
}

TEST_F(ConnectionPages, VccPageRelabelsTheTreeEntry) {
    std::string error;
    std::unique_ptr<CCommandDravik_VCC> vcc(CCommandDravik_VCC::Create(error, 3300));
    ASSERT_NE(vcc, nullptr) << error;
    InsertIntoTree(vcc.get());
    CDlgCmdDravik_VCC page;
    ASSERT_EQ(page.VccList()->itemText(0), "Off");
    page.SetItem(vcc.get());
    EXPECT_EQ(page.VccList()->currentText(), "3.3v");
    EXPECT_EQ(modifiedCount, 0);
    page.VccList()->setCurrentIndex(page.VccList()->findText("1.8v"));
    EXPECT_EQ(vcc->GetVCC(), 1800u);
    EXPECT_EQ(TreeLabel(vcc.get()), "VCC = 1.8v");
    EXPECT_EQ(modifiedCount, 1);
    page.VccList()->setCurrentIndex(0);
    EXPECT_EQ(vcc->GetVCC(), 0u);
    EXPECT_EQ(TreeLabel(vcc.get()), "VCC Off");
    EXPECT_EQ(page.GetHelpText(), "Set or remove target VCC.  ");
}

TEST_F(ConnectionPages, VccValueNotInTheListShowsTheLastEntryAndStaysStored) {
    std::string error;
    std::unique_ptr<CCommandDravik_Open> open(CCommandDravik_Open::Create(error, 1000));
    ASSERT_NE(open, nullptr) << error;
    CDlgCmdDravik_Open page;
    EXPECT_EQ(page.VccList()->findText("Off"), -1);
    page.SetItem(open.get());
    EXPECT_EQ(page.VccList()->currentIndex(), page.VccList()->count() - 1);
    EXPECT_EQ(open->GetVCC(), 1000u);
    EXPECT_EQ(modifiedCount, 0);
    page.VccList()->setCurrentIndex(0);
    EXPECT_EQ(open->GetVCC(), 1500u);
}

TEST_F(ConnectionPages, FixedPodVccAndItsHelpText) {
    pod = PodVccCapability{false, 3000};
    CDlgCmdDravik_VCC page;
    ASSERT_EQ(page.VccList()->count(), 2);
    EXPECT_EQ(page.VccList()->itemText(1), "3.0v");
    EXPECT_EQ(page.GetHelpText(),
              "Set or remove target VCC.  Because the adapter you are currently using cannot "
              "adjust VCC, the current VCC options are limited to the fixed voltage of your "
              "adapter.");
}

TEST_F(ConnectionPages, PropagatedVccRefreshesTheShownPage) {
    InstallPropertyPageFactory();
    ASSERT_EQ(CCommandDravik_VCC::CreatePropertyPage(Window(), {0, 0, 200, 200}), 1);
    std::string error;
    std::unique_ptr<CCommandDravik_VCC> vcc(CCommandDravik_VCC::Create(error, 3300));
    ASSERT_NE(vcc, nullptr);
    vcc->LoadDialog();
    auto* page = dynamic_cast<CDlgCmdDravik_VCC*>(CCommandDravik_VCC::Page().Get());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetItem(), vcc.get());
    vcc->PropagateVCC(2500);
    EXPECT_EQ(page->VccList()->currentText(), "2.5v");
    page->SyncVcc(vcc.get(), 1500);
    EXPECT_EQ(page->VccList()->currentText(), "1.5v");
    EXPECT_EQ(vcc->GetVCC(), 2500u) << "showing a VCC writes nothing back";
    vcc->ClearDialog();
    EXPECT_EQ(page->GetItem(), nullptr);
    CCommandDravik_VCC::DestroyPropertyPage();
    SetCommandPageFactory(nullptr);
}

TEST_F(ConnectionPages, HelpOnlyPagesShowTheirText) {
    EXPECT_EQ(CreatePropertyPageFor("Dravik_Configure"), nullptr);
    auto page = CreatePropertyPageFor("Tovrin_PowerOff");
    auto* help = dynamic_cast<CDlgCmdTovrin_PowerOff*>(page.get());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->GetHelpText(),
              "This command powers down the target device via the Tovrin.  \n\nUpon execution, "
              "any existing JTAG connection will be broken.  ");
    CDlgCmdDravik_SingleStep step;
    EXPECT_EQ(step.GetHelpText(), "Directs the target to execute a single instruction");
}

}  // namespace
}  // namespace kv::ui::testing
