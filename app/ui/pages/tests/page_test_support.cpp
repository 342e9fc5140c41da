#include "page_test_support.h"

#include "kelvane/commands/current_project.h"
#include "kelvane/commands/register_commands.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"

namespace kv::ui::testing {

void PageTest::SetUp() {
    static bool loaded = [] {
        CProjectTreeItem::InitBooleanMap();
        RegisterCommandClasses();
        std::string error;
        return InitCommandTypes(error) == 1 &&
               LoadProcessorTable(std::string(KELVANE_DATA_DIR) + "/ProcessorList.xml") == 1;
    }();
    ASSERT_TRUE(loaded);
    SetDocumentModifiedHandler([this](int modified) { modifiedCount += modified != 0 ? 1 : 0; });
    SetCommandProject(&project, "");
    SetPodVccProvider([this] { return pod; });
}

void PageTest::TearDown() {
    SetPodVccProvider(nullptr);
    SetCommandProject(nullptr, "");
    SetDocumentModifiedHandler(nullptr);
    SetPropertiesItem(nullptr);
}

void PageTest::InsertIntoTree(CProjectTreeItem* item) {
    ASSERT_NE(item->InsertIntoTree(&tree, kTreeRoot, kTreeLast), kTreeNone);
}

}  // namespace kv::ui::testing
