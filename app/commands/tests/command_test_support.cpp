#include "command_test_support.h"

#include <caprel/caprel.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "kelvane/commands/current_project.h"
#include "kelvane/commands/register_commands.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/platform/usb_backend.h"

namespace kv::testing {

void CommandTest::SetUp() {
    // Test cases run in parallel processes: each has a folder of its own.
    directory_ = ::testing::TempDir() + "kelvane_commands_" + std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(directory_);
    usb::setBackend(backend);
    previousBox =
        setMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
            boxes.push_back(text);
            return kIdOk;
        });
    UnregisterCommandClasses();
    RegisterCommandClasses();
    CProjectTreeItem::InitBooleanMap();
    std::string error;
    ASSERT_EQ(InitCommandTypes(error), 1) << error;
    SetCommandProject(nullptr, "");
    ASSERT_EQ(LoadProcessorTable(KELVANE_BIN_DIR "/ProcessorList.xml"), 1);
    f149 = FindProcessorByName("MSP430F149");
    ASSERT_NE(f149, nullptr);
}

void CommandTest::TearDown() {
    Close_Caprel();
    SetCommandProject(nullptr, "");
    UnregisterCommandClasses();
    DestroyProcessorTable();
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
    usb::setBackend(nullptr);
    setMessageBoxHandler(previousBox);
    SetPodInUse(0);
}

std::shared_ptr<sim::DravikPod> CommandTest::Plug(const std::string& chip) {
    sim::PodConfig config;
    config.serial = 4321;
    config.chip = chip.empty() ? "none" : chip;
    auto pod = std::make_shared<sim::DravikPod>(config);
    backend->plug(pod);
    return pod;
}

std::string CommandTest::Path(const std::string& name) const {
    return directory_ + name;
}

std::string CommandTest::Save(CProjectTreeItem& command, bool* ok, const std::string& named) {
    const CommandClass* commandClass = FindCommandClass(command.GetElementName());
    CStdioXMLFile file;
    const std::string path = named.empty() ? Path("command_test.kvnset") : named;
    EXPECT_EQ(file.Open(path), 1) << file.GetLastError();
    file.ClearDeclarations();
    file.WriteHeader(command.GetElementName());
    if (commandClass != nullptr) {
        commandClass->declareElement(file);
        commandClass->declareAttlist(file);
    }
    file.WriteText("]>\n");
    bool written = command.WriteXML(file) != 0;
    if (ok != nullptr) *ok = written;
    if (!written) {
        file.Abort();
        return file.GetText();
    }
    EXPECT_EQ(file.Close(), 1) << file.GetLastError();
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string CommandTest::SavedElement(CProjectTreeItem& command) {
    const std::string text = Save(command);
    const std::string start = "<" + command.GetElementName() + " \n";
    std::size_t from = text.find(start);
    if (from == std::string::npos) return "";
    return text.substr(from);
}

std::string CommandTest::Declarations(const std::string& elementName) {
    const CommandClass* commandClass = FindCommandClass(elementName);
    if (commandClass == nullptr) return "not registered";
    CStdioXMLFile file;
    EXPECT_EQ(file.Open(Path("declarations.kvnset")), 1);
    commandClass->declareElement(file);
    commandClass->declareAttlist(file);
    // Declared once per file.
    commandClass->declareElement(file);
    commandClass->declareAttlist(file);
    std::string text = file.GetText();
    file.Abort();
    return text;
}

std::unique_ptr<CProjectTreeItem> CommandTest::Load(const std::string& text, std::string& error) {
    Close_Caprel();
    const std::string path = Path("command_load.kvnset");
    std::ofstream(path) << text;
    if (Open_Caprel(path.c_str(), 0) != 1) {
        char buffer[1024] = {};
        GetLastError_Caprel(buffer, sizeof buffer);
        error = buffer;
        return nullptr;
    }
    CArrayProjectTreeItem array;
    if (!LoadCommandFromXML(error, &array, GetRootElement_Caprel())) return nullptr;
    std::unique_ptr<CProjectTreeItem> command(array.GetAt(0));
    array.Remove(command.get());
    Close_Caprel();
    return command;
}

std::unique_ptr<CProjectTreeItem> CommandTest::RoundTrip(CProjectTreeItem& command) {
    std::string error;
    auto loaded = Load(Save(command), error);
    EXPECT_NE(loaded, nullptr) << error;
    return loaded;
}

int CommandTest::Run(std::vector<CProjectTreeItem*> commands, CPrgProcessor* processor) {
    CPrgOperation operation(nullptr, "Run");
    for (CProjectTreeItem* command : commands)
        operation.GetCommands().Add(command);
    int pod = 0, adapter = 0;
    operation.GetRequiredInterfaces(&pod, &adapter);
    CExecuteParams params;
    if (processor == nullptr) processor = f149;
    if (!params.Open(processor, 3300, &bar, &status, &log, "Run", operation.GetProgressAggregate(),
                     pod, adapter)) {
        runError = params.TakeError();
        return 0;
    }
    log.Clear();
    status.texts.clear();
    int result = operation.OnExecute(&params);
    runError = result ? std::string() : operation.TakeError();
    runVcc = params.GetVcc();
    params.Close();
    return result;
}

}  // namespace kv::testing
