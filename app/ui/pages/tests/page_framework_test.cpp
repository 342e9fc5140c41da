#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdio>

#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/page_environment.h"
#include "kelvane/ui/property_page_base.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

// An item with two hexadecimal parameters whose setters relabel it.
class AddressItem : public CProjectTreeItem {
  public:
    AddressItem() {
        elementName_ = "Address";
        treeLabel_ = "Address 0000";
    }
    int AttachDialog(UiWindow*, const UiRect&) override { return 1; }
    void ResetContents() override {}
    CProjectTreeItem* CreateNew() override { return new AddressItem; }
    void LoadDialog() override {}
    void ClearDialog() override {}
    void ShowDialog() override {}
    void HideDialog() override {}

    void SetAddress(std::uint32_t value) {
        ++setterCalls;
        if (value == address) return;
        address = value;
        char label[32];
        std::snprintf(label, sizeof label, "Address %04X", static_cast<unsigned>(value));
        treeLabel_ = label;
        UpdateTreeText();
        SetDocumentModified(1);
    }
    void SetLength(std::uint32_t value) {
        if (value == length) return;
        length = value;
        SetDocumentModified(1);
    }

    std::uint32_t address = 0;
    std::uint32_t length = 0x10;
    int setterCalls = 0;
};

class AddressPage : public CPropertyPageBase {
  public:
    AddressPage() {
        address = AddHexField("Addr (h)", {},
                              [this](std::uint32_t v) { Object<AddressItem>()->SetAddress(v); });
        length = AddHexField("Length (h)", {1u, true, 0},
                             [this](std::uint32_t v) { Object<AddressItem>()->SetLength(v); });
        SetHelpText(std::string("One") + kHelpParagraph + "Two");
    }
    CHexNumberEdit* address;
    CHexNumberEdit* length;

  protected:
    bool Accepts(CProjectTreeItem* item) const override {
        return dynamic_cast<AddressItem*>(item) != nullptr;
    }
    void LoadControls() override {
        ShowHexField(address, Object<AddressItem>()->address);
        ShowHexField(length, Object<AddressItem>()->length);
    }
};

class PageFramework : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        InsertIntoTree(&item);
        page.Attach(Window(), {0, 0, 300, 300});
        window.show();
        page.Show(true);
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    AddressItem item;
    AddressPage page;
};

TEST_F(PageFramework, AChangeGoesThroughTheSetterRelabelsAndMarksModified) {
    page.SetItem(&item);
    EXPECT_EQ(item.setterCalls, 0) << "loading writes nothing back";
    EXPECT_EQ(page.address->text(), "0000");
    page.address->setFocus();
    page.address->selectAll();
    QTest::keyClicks(page.address, "f1a0");
    EXPECT_EQ(item.address, 0xF1A0u);
    EXPECT_EQ(TreeLabel(&item), "Address F1A0");
    EXPECT_GT(modifiedCount, 0);
    EXPECT_EQ(page.GetHelpText(), "One\n\nTwo");
}

TEST_F(PageFramework, ADetachedPageChangesNothing) {
    page.SetItem(&item);
    page.SetItem(nullptr);
    page.address->setFocus();
    QTest::keyClicks(page.address, "12");
    EXPECT_EQ(item.setterCalls, 0);
    EXPECT_EQ(modifiedCount, 0);
}

TEST_F(PageFramework, EmptyTextStoresTheFallbackAndKeepsShowingEmpty) {
    page.SetItem(&item);
    page.length->setFocus();
    page.length->selectAll();
    QTest::keyClick(page.length, Qt::Key_Backspace);
    EXPECT_EQ(item.length, 1u);
    page.address->setFocus();
    EXPECT_EQ(page.length->text(), "");
    // The address field has no fallback: emptying it stores nothing.
    page.address->selectAll();
    QTest::keyClick(page.address, Qt::Key_Backspace);
    EXPECT_EQ(item.setterCalls, 0);
}

TEST_F(PageFramework, FocusLossRewritesAnEditedFieldInCanonicalForm) {
    page.SetItem(&item);
    page.length->setFocus();
    page.length->selectAll();
    QTest::keyClicks(page.length, "a");
    EXPECT_TRUE(page.length->hasFocus());
    EXPECT_TRUE(page.length->IsEdited());
    page.address->setFocus();
    EXPECT_EQ(page.length->text(), "000A");
    EXPECT_EQ(item.length, 0xAu);
}

TEST_F(PageFramework, DigitsFollowTheProcessorAtEveryAttach) {
    project.processor = "MSP430FG4619";
    page.SetItem(&item);
    EXPECT_EQ(page.address->text(), "00000");
    project.processor = "MSP430F149";
    page.SetItem(&item);
    EXPECT_EQ(page.address->text(), "0000");
    project.processor = "NoSuchChip";
    EXPECT_EQ(GetCurrentAddressDigits(), 4);
}

TEST_F(PageFramework, AWiderStoredValueIsShownInFullAndKept) {
    item.address = 0x1FF00;
    item.length = 0x12345;
    page.SetItem(&item);
    EXPECT_EQ(page.address->text(), "1FF00");
    EXPECT_EQ(page.length->text(), "12345");
    // Passing through the field without editing it keeps the stored value.
    page.length->setFocus();
    page.address->setFocus();
    EXPECT_EQ(item.length, 0x12345u);
    EXPECT_EQ(item.address, 0x1FF00u);
    EXPECT_EQ(modifiedCount, 0);
}

TEST_F(PageFramework, EnterAndEscapeDoNotCloseThePage) {
    page.SetItem(&item);
    QTest::keyClick(&page, Qt::Key_Escape);
    QTest::keyClick(&page, Qt::Key_Return);
    EXPECT_TRUE(page.isVisible());
}

TEST_F(PageFramework, AttachMovesThePageIntoTheWindow) {
    QWidget other;
    UiWindow otherWindow(&other);
    ASSERT_TRUE(page.Attach(&otherWindow, {10, 20, 110, 220}));
    EXPECT_EQ(page.parentWidget(), &other);
    EXPECT_EQ(page.geometry(), QRect(10, 20, 100, 200));
    page.Attach(Window(), {0, 0, 300, 300});
    EXPECT_EQ(page.parentWidget(), &window);
}

TEST(PageEnvironment, VccListsFollowThePod) {
    QComboBox combo;
    SetPodVccProvider([] { return PodVccCapability{true, 3600}; });
    FillVccList(&combo, true);
    ASSERT_EQ(combo.count(), 23);
    EXPECT_EQ(combo.itemText(0), "Off");
    EXPECT_EQ(combo.itemText(1), "1.5v");
    EXPECT_EQ(combo.itemText(19), "3.3v");
    EXPECT_EQ(combo.itemData(22).toULongLong(), 3600u);
    SelectVccInList(&combo, 1000);
    EXPECT_EQ(combo.currentIndex(), 22);
    SetPodVccProvider(nullptr);
    FillVccList(&combo, false);
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), "3.3v");
}

TEST(PageEnvironment, FilesAreShownThroughTheViewer) {
    std::string shown;
    SetFileViewer([&](const std::string& path) {
        shown = path;
        return true;
    });
    EXPECT_TRUE(ViewFile("/tmp/a.txt"));
    EXPECT_EQ(shown, "/tmp/a.txt");
    SetFileViewer(nullptr);
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("/"));
    EXPECT_TRUE(FileExists(std::string(KELVANE_DATA_DIR) + "/ProcessorList.xml"));
}

}  // namespace
}  // namespace kv::ui::testing
