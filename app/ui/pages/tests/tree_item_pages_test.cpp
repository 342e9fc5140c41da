#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "kelvane/core/root_tree_item.h"
#include "kelvane/ui/tree_item_pages.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

// A project that keeps what the root items write.
class RecordingProject : public PageProject {
  public:
    std::string GetName() const override { return name; }
    void SetName(const std::string& value) override { name = value; }
    std::uint32_t GetVcc() const override { return vcc; }
    void SetVcc(std::uint32_t value) override { vcc = value; }

    std::string name = "Board";
    std::uint32_t vcc = 3300;
};

class TreeItemPages : public PageTest {
  protected:
    RecordingProject recording;
};

TEST_F(TreeItemPages, ProjectNameFollowsEveryCharacter) {
    CProjectNameTreeItem item(&recording);
    InsertIntoTree(&item);
    CDlgProjectName page;
    page.SetItem(&item);
    EXPECT_EQ(page.NameEdit()->text(), "Board");
    page.NameEdit()->setText("Rig");
    EXPECT_EQ(recording.name, "Rig");
    EXPECT_NE(TreeLabel(&item).find("Rig"), std::string::npos);
    page.NameEdit()->clear();
    EXPECT_EQ(recording.name, "");
}

TEST_F(TreeItemPages, ProjectVccListSetsTheVcc) {
    CProjectVccTreeItem item(&recording);
    InsertIntoTree(&item);
    CDlgProjectVcc page;
    page.SetItem(&item);
    EXPECT_EQ(page.VccList()->currentData().toULongLong(), 3300u);
    EXPECT_EQ(page.VccList()->findData(QVariant::fromValue<qulonglong>(0)), -1) << "no Off";
    page.VccList()->setCurrentIndex(
        page.VccList()->findData(QVariant::fromValue<qulonglong>(3000)));
    EXPECT_EQ(recording.vcc, 3000u);
    EXPECT_EQ(page.PropagateButton()->text(), "Propogate");
    page.PropagateButton()->click();
    EXPECT_EQ(recording.vcc, 3000u);
}

TEST_F(TreeItemPages, ProcessorListSelectsAndSetsTheProcessor) {
    project.processor = "MSP430F149";
    CProcessorTreeItem item(&project);
    InsertIntoTree(&item);
    CDlgProcessor page;
    page.SetItem(&item);
    EXPECT_EQ(page.ProcessorList()->currentText(), "MSP430F149");
    const int row = page.ProcessorList()->findText("MSP430F135");
    ASSERT_GE(row, 0);
    page.ProcessorList()->setCurrentIndex(row);
    EXPECT_EQ(project.processor, "MSP430F135");
    EXPECT_NE(TreeLabel(&item).find("MSP430F135"), std::string::npos);
}

}  // namespace
}  // namespace kv::ui::testing
