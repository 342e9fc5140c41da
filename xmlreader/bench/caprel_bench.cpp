// Generates a project file of 10,000 command elements, then opens (parses and validates) it and
// walks every element and attribute through the exported interface. Prints time and MB/s.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "../tests/project_file.h"
#include "caprel/caprel.h"

namespace {

constexpr int kCommands = 10000;
constexpr int kRounds = 10;

std::string GenerateProject() {
    std::string text =
        caprel_test::ProjectHeaderAndDtd() + caprel_test::ProjectRootStart("Benchmark");
    char line[256];
    for (int i = 0; i < kCommands; ++i) {
        switch (i % 4) {
            case 0:
                std::snprintf(line, sizeof line,
                              "<Dravik_Open \n\tdwVCC=\"%d\"\n></Dravik_Open >\n", 1800 + i % 1800);
                break;
            case 1:
                std::snprintf(line, sizeof line,
                              "<Dravik_Erase \n\tdwEraseType=\"ERASE_SEGMENT\"\n"
                              "\tdwSegment=\"0x%08X\"\n\tdwLength=\"0x00000200\"\n"
                              "></Dravik_Erase >\n",
                              0x1000u + static_cast<unsigned>(i) * 0x200u);
                break;
            case 2:
                std::snprintf(line, sizeof line,
                              "<Comment \n>Step %d of the production run\nsecond line</Comment >\n",
                              i);
                break;
            default:
                std::snprintf(line, sizeof line,
                              "<Dravik_Close \n\tbVccOff=\"%s\"\n></Dravik_Close >\n",
                              i % 8 == 3 ? "TRUE" : "FALSE");
                break;
        }
        text += line;
    }
    return text + caprel_test::ProjectRootEnd();
}

// Reads every command's name and attributes; returns the number of elements seen.
long Walk() {
    char buffer[1024];
    uint32_t count = 0;
    long seen = 0;
    const int32_t root = GetRootElement_Caprel();
    const int32_t list = GetFirstNamedChildElement_Caprel(root, "CommandList");
    for (int32_t command = GetFirstChildElement_Caprel(list); command != -1;
         command = GetNextChildElement_Caprel(list, command)) {
        GetElementName_Caprel(command, buffer, sizeof buffer, &count);
        GetAttributeValue_Caprel(command, "dwVCC", buffer, sizeof buffer, &count);
        ++seen;
    }
    return seen;
}

}  // namespace

int main() {
    const std::string text = GenerateProject();
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("caprel_bench_" + std::to_string(getpid()) + ".xml");
    std::ofstream(path, std::ios::binary) << text;

    using Clock = std::chrono::steady_clock;
    double bestOpen = 1e9;
    double bestWalk = 1e9;
    long seen = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        if (!Open_Caprel(path.c_str(), 0)) {
            char error[1024];
            GetLastError_Caprel(error, sizeof error);
            std::fprintf(stderr, "open failed: %s\n", error);
            std::filesystem::remove(path);
            return 1;
        }
        const auto opened = Clock::now();
        seen = Walk();
        const auto walked = Clock::now();
        Close_Caprel();
        bestOpen = std::min(bestOpen, std::chrono::duration<double>(opened - start).count());
        bestWalk = std::min(bestWalk, std::chrono::duration<double>(walked - opened).count());
    }
    std::filesystem::remove(path);

    const double megabytes = static_cast<double>(text.size()) / 1e6;
    std::printf("file: %d commands, %.2f MB\n", kCommands, megabytes);
    std::printf("open (read, parse, validate): %.2f ms, %.1f MB/s (best of %d)\n", bestOpen * 1e3,
                megabytes / bestOpen, kRounds);
    std::printf("walk %ld commands with name and attribute: %.2f ms\n", seen, bestWalk * 1e3);
    return seen == kCommands ? 0 : 1;
}
