// Figures of the engine: running a long command list through the execution
// context, and saving and loading it through the factory.
#include <caprel/caprel.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "kelvane/core/prg_operation.h"
#include "kelvane/core/stdio_xml_file.h"
#include "tests/engine_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
    using namespace kv;
    using namespace kv::testing;
    RegisterTestCommands(BuiltInCommandNames());
    constexpr int kCommands = 20000;
    FakeDevices devices;
    TestProject project;
    CPrgOperation operation(&project);
    for (int i = 0; i < kCommands; ++i)
        operation.GetCommands().Add(new TestCommand(i % 2 ? "Dravik_Erase" : "Comment", i));

    RecordingLog log;
    RecordingBar bar;
    CExecuteParams params;
    Clock::time_point start = Clock::now();
    params.Open(FakeDevices::Processor(), 3300, &bar, nullptr, &log, "Bench",
                operation.GetProgressAggregate(), 1, 0);
    int ok = operation.Execute(&params);
    params.Close();
    double run = Millis(start);
    std::printf("run %d commands: %.1f ms (%.2f us per command), result %d\n", kCommands, run,
                run * 1000 / kCommands, ok);

    std::string path = "/tmp/kelvane_engine_benchmark.kvnset";
    start = Clock::now();
    CStdioXMLFile file;
    file.Open(path);
    file.WriteHeader("ProjectKelvane");
    file.BeginElementDecl("CommandList");
    DeclareCommandListChildren(file);
    file.EndElementDecl();
    DeclareCommandElements(file);
    DeclareCommandAttlists(file);
    file.WriteText("]>\n");
    operation.SaveCommandList(file);
    file.Close();
    double save = Millis(start);

    start = Clock::now();
    Open_Caprel(path.c_str(), 0);
    CPrgOperation loaded(&project);
    int loadedOk = loaded.LoadCommandList(GetRootElement_Caprel());
    Close_Caprel();
    double load = Millis(start);
    std::printf("save %d commands: %.1f ms; load: %.1f ms, %d loaded, result %d\n", kCommands, save,
                load, loaded.GetCommands().GetSize(), loadedOk);
    std::remove(path.c_str());
    return 0;
}
