#include "project_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/message_box.h"

namespace kv::testing {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvproject_XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    path_ = made != nullptr ? made : "";
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

int ArgsCommand::WriteXMLAttributes(CStdioXMLFile& file) {
    if (args.find("unwritable") != std::string::npos) return Fail("Cannot write " + elementName_);
    if (file.WriteAttribute("strArgs", args, true)) return 1;
    return Fail(file.TakeError());
}

int ArgsCommand::ReadXMLParameters(std::int32_t element) {
    return GetXmlAttribute(element, "strArgs", args, error_);
}

int ArgsCommand::OnExecute(CExecuteParams* params) {
    if (!TestCommand::OnExecute(params)) return 0;
    if (args.find("modify") != std::string::npos) params->SetModified(1);
    return 1;
}

void RegisterArgsCommands(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        CommandClass commandClass;
        commandClass.elementName = name;
        // A class of a listed name keeps its place in the list.
        if (const CommandClass* listed = FindCommandClass(name))
            commandClass.requiredInList = listed->requiredInList;
        commandClass.declareElement = [name](CStdioXMLFile& file) {
            return file.IsElementDeclared(name) ? 1 : file.DeclareEmptyElement(name);
        };
        commandClass.declareAttlist = [name](CStdioXMLFile& file) -> int {
            if (file.IsAttlistDeclared(name)) return 1;
            return file.BeginAttlist(name) && file.DeclareCdataAttribute("strArgs", true) &&
                   file.EndAttlist();
        };
        commandClass.create = [name](std::string& error,
                                     const CommandArguments& args) -> CProjectTreeItem* {
            if (FailingCommands().count("create " + name)) {
                error = "Cannot create " + name;
                return nullptr;
            }
            std::string joined;
            for (const CommandArgument& arg : args) {
                if (!joined.empty()) joined += '|';
                if (const auto* number = std::get_if<std::uint32_t>(&arg)) {
                    char text[16];
                    std::snprintf(text, sizeof text, "0x%X", *number);
                    joined += text;
                } else {
                    joined += std::get<std::string>(arg);
                }
            }
            return new ArgsCommand(name, joined);
        };
        commandClass.createDefault = [name](std::string&) -> CProjectTreeItem* {
            return new ArgsCommand(name, "default");
        };
        commandClass.createNew = [name]() { return new ArgsCommand(name); };
        RegisterCommandClass(std::move(commandClass));
    }
}

void RegisterCommandListOf(const std::string& projectText) {
    const std::string start = "<!ELEMENT CommandList (\n";
    std::size_t at = projectText.find(start);
    if (at == std::string::npos) return;
    at += start.size();
    const std::size_t end = projectText.find(")>", at);
    while (at < end) {
        const std::size_t stop = std::min(projectText.find_first_of(",)", at), end);
        std::string child = projectText.substr(at, stop - at);
        child.erase(0, child.find_first_not_of("\t\n "));
        CommandClass commandClass;
        commandClass.requiredInList = child.ends_with('+');
        commandClass.elementName = child.substr(0, child.size() - 1);
        RegisterCommandClass(std::move(commandClass));
        at = stop + 1;
    }
}

std::vector<std::string> Describe(CPrgOperation* list) {
    std::vector<std::string> out;
    for (int i = 0; i < list->GetCommands().GetSize(); ++i) {
        auto* command = dynamic_cast<ArgsCommand*>(list->GetCommands().GetAt(i));
        out.push_back(command != nullptr ? command->GetElementName() + "(" + command->args + ")"
                                         : "?");
    }
    return out;
}

ScriptedBoxes::ScriptedBoxes(std::vector<int> answers) : answers_(std::move(answers)) {
    setMessageBoxHandler([this](const std::string& text, const std::string&, unsigned type) {
        texts.push_back(text);
        types.push_back(type);
        if (answers_.empty()) return static_cast<int>(kIdOk);
        const int answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    });
}

ScriptedBoxes::~ScriptedBoxes() {
    setMessageBoxHandler({});
}

}  // namespace kv::testing
