#include "adapter_test_support.h"

#include <caprel/caprel.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "kelvane/commands/current_project.h"
#include "kelvane/commands/register_commands.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"

namespace kv::cmdtest {

std::string TestPath(const std::string& name) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string folder = ::testing::TempDir() + "kelvane_commands/";
    if (info != nullptr) folder += std::string(info->test_suite_name()) + "." + info->name() + "/";
    std::string path = folder + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return path;
}

ProjectFileScope::ProjectFileScope(ProjectAccess* project, const std::string& file) {
    SetCommandProject(project, file);
}

ProjectFileScope::~ProjectFileScope() {
    SetCommandProject(nullptr, "");
}

namespace {

// The command classes and their keyword maps, as start-up leaves them.
class CommandClassesEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { RegisterAll(); }
};

const ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new CommandClassesEnvironment);

}  // namespace

CPrgProcessor F149Processor() {
    CPrgProcessor processor;
    processor.Name = "MSP430F149";
    processor.InfoStart = 0x1000;
    processor.InfoSize = 0x100;
    processor.InfoSeg = 0x80;
    processor.MainStart = 0x1100;
    processor.MainSize = 0xEF00;
    processor.MainSeg = 0x200;
    return processor;
}

void RegisterAll() {
    static bool done = false;
    if (done) return;
    done = true;
    CProjectTreeItem::InitBooleanMap();
    RegisterCommandClasses();
    std::string error;
    ASSERT_EQ(InitCommandTypes(error), 1) << error;
}

std::string SaveText(CProjectTreeItem& command, const std::string& path) {
    RegisterAll();
    CStdioXMLFile file;
    EXPECT_EQ(file.Open(path), 1);
    file.ClearDeclarations();
    file.WriteHeader("ProjectKelvane");
    file.BeginElementDecl("CommandList");
    DeclareCommandListChildren(file);
    file.EndElementDecl();
    EXPECT_EQ(DeclareCommandElements(file), 1);
    EXPECT_EQ(DeclareCommandAttlists(file), 1);
    file.WriteText("]>\n");
    file.OpenElement("CommandList", true);
    file.EndStartTag(true);
    EXPECT_EQ(command.WriteXML(file), 1) << command.GetLastError() << file.GetLastError();
    file.CloseElement("CommandList", true);
    std::string text = file.GetText();
    EXPECT_EQ(file.Close(), 1) << file.GetLastError();
    return text;
}

std::unique_ptr<CProjectTreeItem> LoadBack(const std::string& path, std::string& error) {
    RegisterAll();
    if (Open_Caprel(path.c_str(), 0) != 1) {
        char text[1024] = {};
        GetLastError_Caprel(text, sizeof text);
        error = text;
        return nullptr;
    }
    CArrayProjectTreeItem array;
    int ok =
        LoadCommandFromXML(error, &array, GetFirstChildElement_Caprel(GetRootElement_Caprel()));
    Close_Caprel();
    if (!ok) return nullptr;
    std::unique_ptr<CProjectTreeItem> command(array.GetAt(0));
    array.Remove(command.get());
    return command;
}

std::unique_ptr<CProjectTreeItem> LoadElement(const std::string& element, std::string& error) {
    // A file with the program's own DTD and the element as the only command.
    std::string path = TestPath("element.kvnset");
    class Empty : public CProjectTreeItem {
      public:
        Empty() { elementName_ = "Comment"; }
        int AttachDialog(UiWindow*, const UiRect&) override { return 1; }
        void ResetContents() override {}
        CProjectTreeItem* CreateNew() override { return nullptr; }
        void LoadDialog() override {}
        void ClearDialog() override {}
        void ShowDialog() override {}
        void HideDialog() override {}
    } empty;
    std::string text = SaveText(empty, path);
    std::size_t at = text.find("<Comment ");
    std::size_t end = text.find("</Comment >") + 11;
    text.replace(at, end - at, element);
    std::ofstream(path) << text;
    return LoadBack(path, error);
}

std::string ElementText(const std::string& fileText, const std::string& element) {
    std::size_t at = fileText.find("\n<" + element + " ");
    std::string close = "</" + element + " >";
    std::size_t end = fileText.find(close, at);
    if (at == std::string::npos || end == std::string::npos) return "";
    return fileText.substr(at + 1, end + close.size() - at - 1);
}

std::string Declarations(const std::string& fileText, const std::string& element) {
    std::string out;
    std::size_t at = fileText.find("\t<!ELEMENT " + element + " ");
    if (at != std::string::npos) out += fileText.substr(at, fileText.find('\n', at) - at + 1);
    at = fileText.find("\t<!ATTLIST " + element + "\n");
    if (at != std::string::npos) out += fileText.substr(at, fileText.find("\t>\n", at) + 3 - at);
    return out;
}

kv::sim::DeviceProfile AdapterRun::DefaultDevice() {
    return wrapperstest::ChipWithLoader("MSP430F149", 0x01, 0x61);
}

AdapterRun::AdapterRun(const kv::sim::DeviceProfile& device, bool openAdapter)
    : bench(device), processor(F149Processor()) {
    CTovrin::ResetProcessState();
    RegisterHWND_Hesmark(nullptr, nullptr, HESMARK_DEFAULT_MESSAGE, 0);
    EXPECT_EQ(params.Open(&processor, 3300, &bar, &status, &log, "Test", 100, 0, openAdapter), 1)
        << params.GetLastError();
    log.Clear();
}

AdapterRun::~AdapterRun() {
    params.Close();
}

void AdapterRun::Seize() {
    CTovrin* adapter = params.GetTovrin();
    ASSERT_NE(adapter, nullptr);
    ASSERT_EQ(adapter->InitializeTarget(), 1) << adapter->GetErrorText();
    ASSERT_EQ(adapter->ResendPassword(), 1) << adapter->GetErrorText();
    bench.ClearLogs();
}

}  // namespace kv::cmdtest
