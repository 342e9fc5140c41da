// The window's document with the real command library: a project file
// opened, run from the view on the simulated pod and saved again.
// The simulators come before Qt, whose keyword macros they would meet.
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "doc_kelvane.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "log_edit.h"
#include "main_frame.h"
#include "register_commands.h"
#include "view_kelvane.h"

namespace kv::ui::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DocumentProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "kelvane_ui_program_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        folder = ::testing::TempDir() + "kelvane_document_program";
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::string error;
        ASSERT_TRUE(sim::configureSimBackend("chip=MSP430F149", *backend, &error)) << error;
        usb::setBackend(backend);
        previousBox = setMessageBoxHandler(
            [this](const std::string& text, const std::string&, unsigned type) {
                boxes.push_back(text);
                return defaultAnswer(type);
            });
        UnregisterCommandClasses();
        RegisterConsoleCommands();
        ASSERT_EQ(CProjectTreeItem::InitBooleanMap(), 1);
        ASSERT_EQ(InitCommandTypes(error), 1) << error;
        ASSERT_EQ(LoadProcessorTable(KELVANE_BIN_DIR "/ProcessorList.xml"), 1);
    }
    void TearDown() override {
        // A flash rule the chip saw broken fails the test that broke it.
        if (auto pod = backend->findAs<sim::DravikPod>(sim::kDravikDescription); pod && pod->chip()) {
            EXPECT_EQ(pod->chip()->reportRuleBreaks(), 0u) << "flash rules broken";
        }
        DestroyProcessorTable();
        UnregisterCommandClasses();
        setMessageBoxHandler(previousBox);
        usb::setBackend(nullptr);
        SetPodInUse(0);
        std::error_code ignored;
        fs::current_path(fs::temp_directory_path(), ignored);
        fs::remove_all(folder, ignored);
    }

    ManualClock manual{1000};
    ScopedClock scope{manual};
    std::shared_ptr<sim::SimBackend> backend = std::make_shared<sim::SimBackend>();
    MessageBoxHandler previousBox;
    std::vector<std::string> boxes;
    std::string folder;
};

TEST_F(DocumentProgram, OpenWithZeroRunsAtTheProjectsVccAndIsSavedWithZero) {
    const std::string path = folder + "/board.kvnset";
    std::ofstream(path, std::ios::binary)
        << "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
           "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" strName=\"Board\" "
           "strTargetProcessor=\"MSP430F149\" dwVCC=\"2700\">\n<CommandList>\n"
           "<Dravik_Open dwVCC=\"0\"></Dravik_Open>\n"
           "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
           "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n"
           "</CommandList>\n</ProjectKelvane>\n";
    {
        CDocKelvane document;
        ASSERT_TRUE(document.OnOpenDocument(path));
        CMainFrame frame(&document);
        CViewKelvane* view = frame.GetView();
        view->OnInitialUpdate();
        view->OnExecute();
        const std::string log = view->GetLog()->GetLogText();
        EXPECT_NE(log.find("Open JTAG: 2.7v OK\r\n"), std::string::npos) << log;
        EXPECT_NE(log.find("Operation succeeded"), std::string::npos) << log;
        auto pod = backend->findAs<sim::DravikPod>(sim::kDravikDescription);
        unsigned first = 0;
        for (const sim::CommandRecord& record : pod->records())
            if (record.command == 52 && first == 0 && record.request.size() >= 3)
                first = static_cast<unsigned>(record.request[1] << 8 | record.request[2]);
        EXPECT_EQ(first, 2700u);
        ASSERT_TRUE(document.OnSaveDocument(path));
    }
    const std::string saved = ReadFile(path);
    EXPECT_NE(saved.find("<Dravik_Open \n\tdwVCC=\"0\"\n></Dravik_Open >"), std::string::npos)
        << saved;
}

}  // namespace
}  // namespace kv::ui::testing

// The system's font library keeps a cache for the life of the process; it is
// not a leak of the program.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
