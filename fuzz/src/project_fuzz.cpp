// Project loading with the real command library, as the console opens a
// project. The first byte answers the version-1 conversion question (odd:
// Yes); the rest is the project file. A project that opens is saved to a
// second file, which must open again and save to the same bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "input_file.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/register_commands.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/project/prg_project.h"

namespace {

int g_answer = kv::kIdNo;

void Check(bool condition, const std::string& detail = {}) {
    if (condition) return;
    if (!detail.empty()) std::fprintf(stderr, "%s\n", detail.c_str());
    std::abort();
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Setup() {
    kv::RegisterCommandClasses();
    kv::CProjectTreeItem::InitBooleanMap();
    std::string error;
    Check(kv::InitCommandTypes(error) == 1, error);
    kv::setMessageBoxHandler([](const std::string& text, const std::string&, unsigned type) {
        // Only the conversion question asks Yes or No while a project opens.
        if ((type & 0x0F) == kv::kMbYesNo) return g_answer;
        (void)text;
        return kv::defaultAnswer(type);
    });
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = Setup();
    (void)ready;
    if (size == 0) return 0;
    g_answer = (data[0] & 1) != 0 ? kv::kIdYes : kv::kIdNo;
    const kv::fuzz::InputFolder& folder = kv::fuzz::Folder();
    const std::string path = folder.Write("input.kvnset", data + 1, size - 1);
    // Opening changes to the project's folder; every run starts from the same place and
    // leaves the fuzzer where it was, whose corpus paths may be relative.
    static const std::string start = std::filesystem::current_path().string();
    Check(::chdir(folder.Path().c_str()) == 0);
    {
        kv::CPrgProject project;
        if (project.Open(path)) {
            kv::SetCommandProject(&project, path);
            const std::string copy = folder.Path() + "/copy.kvnset";
            if (project.Save(copy)) {
                kv::CPrgProject again;
                Check(again.Open(copy) == 1, again.TakeError());
                Check(again.GetVcc() == project.GetVcc());
                const std::string second = folder.Path() + "/again.kvnset";
                Check(again.Save(second) == 1, again.TakeError());
                Check(Contents(second) == Contents(copy), "saved again, the project differs");
                again.Clear();
            }
            kv::SetCommandProject(nullptr, "");
        }
        project.Clear();
    }
    folder.Empty();
    Check(::chdir(start.c_str()) == 0);
    return 0;
}
