// Figures of the pod commands: a production run that programs and verifies
// the whole main flash of a simulated F149 and reads the chip back out, and
// a long command list saved and loaded through the factory.
#include <caprel/caprel.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "kelvane/commands/current_project.h"
#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_erase.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_program_file.h"
#include "kelvane/commands/dravik_read_processor_to_file.h"
#include "kelvane/commands/register_commands.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"

namespace {

using WallClock = std::chrono::steady_clock;

double Millis(WallClock::time_point start) {
    return std::chrono::duration<double, std::milli>(WallClock::now() - start).count();
}

// A TI-TXT image filling main flash from 0x1100 to 0xFFFF.
void WriteImage(const std::string& path) {
    std::ofstream out(path);
    out << "@1100\n";
    for (unsigned address = 0x1100, column = 0; address <= 0xFFFF; ++address) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X", (address * 7 + 3) & 0xFF);
        out << byte << (++column % 16 == 0 ? "\n" : " ");
    }
    out << "\nq\n";
}

}  // namespace

int main() {
    using namespace kv;
    kv::ManualClock manual{1000};
    kv::ScopedClock scope{manual};
    auto backend = std::make_shared<sim::SimBackend>();
    usb::setBackend(backend);
    backend->plug(std::make_shared<sim::DravikPod>(sim::PodConfig{}));
    RegisterCommandClasses();
    CProjectTreeItem::InitBooleanMap();
    std::string error;
    InitCommandTypes(error);
    if (!LoadProcessorTable(KELVANE_BIN_DIR "/ProcessorList.xml")) return 1;
    CPrgProcessor* f149 = FindProcessorByName("MSP430F149");

    const std::string folder = "/tmp/kelvane_commands_bench_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    WriteImage(folder + "/image.txt");

    CPrgOperation run(nullptr, "Bench");
    CArrayProjectTreeItem& list = run.GetCommands();
    list.Add(CCommandDravik_Open::Create(error, 3000));
    list.Add(CCommandDravik_Identify::Create(error, 0));
    list.Add(CCommandDravik_Erase::Create(error, "ERASE_ALL", 0, 0));
    list.Add(
        CCommandDravik_ProgramFile::Create(error, folder + "/image.txt", "FILETYPE_TI_TXT", 1));
    list.Add(
        CCommandDravik_ReadProcessorToFile::Create(error, folder + "/chip.txt", "FILETYPE_TI_TXT"));
    list.Add(CCommandDravik_Close::Create(error, 1));
    CExecuteParams params;
    WallClock::time_point start = WallClock::now();
    params.Open(f149, 3300, nullptr, nullptr, nullptr, "Bench", run.GetProgressAggregate(), 1, 0);
    const int ok = run.OnExecute(&params);
    params.Close();
    std::printf(
        "production run (open, identify, mass erase, program+verify 61184 bytes, read chip, "
        "close): %s in %.1f ms\n",
        ok ? "OK" : run.GetLastError().c_str(), Millis(start));

    constexpr int kCommands = 5000;
    CPrgOperation operation(nullptr);
    for (int i = 0; i < kCommands; ++i) {
        AppendEraseCommand(error, &operation.GetCommands(), "ERASE_SEGMENT", 0x1000 + i * 2, 2);
        AppendProgramFileCommand(error, &operation.GetCommands(), "image.txt", "FILETYPE_TI_TXT",
                                 1);
    }
    const std::string path = folder + "/list.kvnset";
    start = WallClock::now();
    CStdioXMLFile file;
    file.Open(path);
    file.WriteHeader("ProjectKelvane");
    file.BeginElementDecl("ProjectKelvane");
    file.AddElementChild("CommandList", 0);
    file.EndElementDecl();
    file.BeginElementDecl("CommandList");
    DeclareCommandListChildren(file);
    file.EndElementDecl();
    DeclareCommandElements(file);
    DeclareCommandAttlists(file);
    file.WriteText("]>\n");
    file.OpenElement("ProjectKelvane", true);
    file.EndStartTag(true);
    operation.SaveCommandList(file);
    file.CloseElement("ProjectKelvane", true);
    file.Close();
    const double saved = Millis(start);
    start = WallClock::now();
    Open_Caprel(path.c_str(), 0);
    CPrgOperation loaded(nullptr);
    loaded.LoadCommandList(GetFirstChildElement_Caprel(GetRootElement_Caprel()));
    Close_Caprel();
    std::printf("%d commands: saved in %.1f ms, loaded (%d) in %.1f ms\n", 2 * kCommands, saved,
                loaded.GetCommands().GetSize(), Millis(start));
    std::filesystem::remove_all(folder);
    usb::setBackend(nullptr);
    return ok ? 0 : 1;
}
