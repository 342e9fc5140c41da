// The project file that holds every command class, written by hand: loaded
// through the real command library and saved again it is the same file, byte
// for byte, and run on the simulated pod and adapter it tells the same story.
#include <gtest/gtest.h>

#include <filesystem>

#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/project/prg_project.h"
#include "program_fixture.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

class GoldenProject : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        fs::copy(KELVANE_GOLDEN_DIR, Folder(), fs::copy_options::recursive);
        golden_ = Read(Path("board/every_command.kvnset"));
    }

    // Loads the project with the start-up configuration and saves it under
    // the name beside it, its commands first replaced by copies of
    // themselves when asked; the saved text.
    std::string LoadAndSave(const std::string& name, bool copies = false) {
        CProjectTreeItem::InitBooleanMap();
        std::string error;
        EXPECT_EQ(InitCommandTypes(error), 1) << error;
        EXPECT_EQ(LoadProcessorTable(KELVANE_BIN_DIR "/ProcessorList.xml"), 1);
        CPrgProject* project = OpenProject(Path("board/every_command.kvnset"), error);
        EXPECT_NE(project, nullptr) << error;
        if (project == nullptr) return {};
        if (copies) {
            CArrayProjectTreeItem& commands = project->GetCommandList()->GetCommands();
            CArrayProjectTreeItem copied;
            EXPECT_EQ(copied.SpawnFrom(&commands), 1) << copied.TakeError();
            commands.FreeAll();
            while (copied.GetSize() > 0) {
                CProjectTreeItem* command = copied.GetAt(0);
                copied.Remove(command);
                commands.Add(command);
            }
        }
        EXPECT_TRUE(project->Save(Path("board/" + name))) << project->GetLastError();
        project->Clear();
        delete project;
        DestroyProcessorTable();
        return Read(Path("board/" + name));
    }

    std::string golden_;
};

TEST_F(GoldenProject, LoadedAndSavedItIsTheSameFileByteForByte) {
    EXPECT_EQ(LoadAndSave("saved.kvnset"), golden_);
}

TEST_F(GoldenProject, CopiesOfEveryCommandSaveTheSameFile) {
    EXPECT_EQ(LoadAndSave("copied.kvnset", true), golden_);
}

// The values each attribute of the golden project takes at its edges, in
// the form the writer gives them; keywords and choices are those its DTD
// declares.
std::vector<std::string> Accepted(const AttributeLine& a,
                                  const std::map<std::string, std::vector<std::string>>& choices) {
    const std::string& n = a.name;
    const auto declared = choices.find(a.element + "/" + n);
    // The value type and counts decide how the memory text reads, and the
    // mode how nValue reads: each of those makes a project of its own.
    if (n == "wValueType" || n == "dwCount" || n == "dwPatternCount" || n == "nMode") return {};
    if (declared != choices.end()) return declared->second;
    if (a.value == "TRUE" || a.value == "FALSE") return {"TRUE", "FALSE"};
    // An erase of segment 0 or length 0 is one of the defaults, written so.
    if (a.element.find("Erase") != std::string::npos) return {"0x00000001", "0xFFFFFFFF"};
    if (n.rfind("str", 0) == 0 || n == "nFileVersion" || n == "nFileSubVersion") return {};
    if (n == "nValue") return {"0", "4294967295", "-2147483648", "0x0000", "0xFFFFFFFF"};
    if (a.value.rfind("0x", 0) == 0)
        return n[0] == 'w' ? std::vector<std::string>{"0x0000", "0xFFFF"}
                           : std::vector<std::string>{"0x00000000", "0xFFFFFFFF"};
    if (n[0] == 'w') return {"0", "65535"};
    if (n == "nCount") return {"-2147483648", "2147483647"};
    if (n.find("VCC") != std::string::npos) return {"0", "3600"};
    if (n.find("Milliseconds") != std::string::npos || n == "dwDelay") return {"0", "3600000"};
    return {"0", "2147483647", "-1", "-2147483648"};
}

TEST_F(GoldenProject, EveryValueItsAttributesTakeIsSavedByteForByte) {
    const auto choices = DeclaredChoices(golden_);
    int rows = 0;
    for (const AttributeLine& a : AttributeLines(golden_)) {
        for (const std::string& value : Accepted(a, choices)) {
            std::string text = golden_;
            text.replace(a.at, a.value.size(), value);
            Write("board/every_command.kvnset", text);
            ++rows;
            EXPECT_EQ(LoadAndSave("saved.kvnset"), text)
                << a.element << " line " << a.line << " " << a.name << "=\"" << value << "\"";
        }
    }
    EXPECT_GT(rows, 200) << "every attribute of the golden project is tried";
}

TEST_F(GoldenProject, RunOnTheSimulatedDevicesItPrintsTheRecordedTranscript) {
    Plug("chip=MSP430F149,adapter=MSP430F2274");
    const int code = Run(Path("board/every_command.kvnset"));
    std::string transcript = out;
    for (std::size_t at; (at = transcript.find(Folder())) != std::string::npos;)
        transcript.replace(at, Folder().size(), "<folder>");
    EXPECT_EQ(transcript, Read(Path("every_command.transcript")));
    // The user said No at the end, so the run failed and the project (whose
    // serial number advanced) is left as it was.
    EXPECT_EQ(code, 1);
    EXPECT_EQ(Read(Path("board/every_command.kvnset")), golden_);
}

}  // namespace
}  // namespace kv::testing
