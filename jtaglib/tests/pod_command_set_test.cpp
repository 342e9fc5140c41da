// The library's pod command set against the simulated pod's table, written
// apart from it: every command the library knows, the same lengths and status
// byte, and no command the pod has that the library lacks.
#include <gtest/gtest.h>

#include "kelvane/sim/pod_commands.h"
#include "pod_command_set.h"

namespace {

TEST(PodCommandSet, EveryLibraryCommandMatchesTheSimulatedPod) {
    size_t podCommands = 0;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const auto command = static_cast<uint8_t>(byte);
        const nandrel::PodCommandShape* library = nandrel::FindPodCommand(command);
        const kv::sim::PodCommandInfo* pod = kv::sim::findPodCommand(command);
        SCOPED_TRACE(byte);
        if (pod) ++podCommands;
        ASSERT_EQ(library != nullptr, pod != nullptr)
            << (library ? "the pod lacks the library's command" : "the library lacks the command");
        if (!library) continue;
        EXPECT_EQ(library->requestLength, pod->requestLength) << pod->name;
        EXPECT_EQ(library->replyLength, pod->replyLength) << pod->name;
        EXPECT_EQ(library->status, pod->status) << pod->name;
    }
    EXPECT_EQ(podCommands, std::size(nandrel::kPodCommandSet));
}

}  // namespace
