// The console programmer on project files that must not run: cut short,
// without a command list, missing an attribute, too big for the memory it may
// use; and one that must, behind a UTF-8 byte-order mark. Each case runs the
// real program and reads its transcript and exit code.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kBlinkDir = KELVANE_EXAMPLES_DIR "/blink/";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Transcript {
    int code = -1;
    std::string out;
};

class ConsoleProjectFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("kelvane_console_edges_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_ / "config");
        std::filesystem::copy_file(kBlinkDir + "blink.txt", dir_ / "blink.txt");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string Write(const std::string& name, const std::string& text) const {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Runs the console programmer on the project; `prefix` goes before the
    // program on the shell line (a ulimit, for example).
    Transcript RunProgram(const std::string& project, const std::string& usb = "",
                   const std::string& prefix = "") const {
        std::string line = prefix + " env -u KELVANE_USB XDG_CONFIG_HOME='" +
                           (dir_ / "config").string() + "' ";
        if (!usb.empty()) line += "KELVANE_USB='" + usb + "' ";
        line += "'" KELVANE_CONSOLE_PROGRAM "' '" + project + "' 2>&1";
        Transcript run;
        std::FILE* pipe = ::popen(line.c_str(), "r");
        if (pipe == nullptr) return run;
        char chunk[4096];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
            run.out.append(chunk, got);
        const int status = ::pclose(pipe);
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return run;
    }

    std::filesystem::path dir_;
};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_F(ConsoleProjectFile, AProjectCutShortAnywhereFailsWithTheLineAndResultThree) {
    const std::string full = ReadFile(kBlinkDir + "blink.kvnset");
    ASSERT_FALSE(full.empty());
    // Cut points inside every construct: after the first character of each
    // line (inside a tag name, an attribute name or an end tag), in the middle
    // of each line (inside attribute values and keywords), and at each line's
    // end (between attributes, after complete commands, before the root's end).
    std::vector<std::size_t> cuts;
    for (std::size_t begin = 0; begin < full.size();) {
        std::size_t end = full.find('\n', begin);
        if (end == std::string::npos) end = full.size();
        cuts.push_back(begin + 1);
        cuts.push_back(begin + (end - begin) / 2);
        cuts.push_back(end);
        begin = end + 1;
    }
    const std::string closing = "</ProjectKelvane >";
    const std::size_t rootEnd = full.rfind(closing) + closing.size();
    int tested = 0;
    for (const std::size_t cut : cuts) {
        if (cut == 0 || cut >= rootEnd) continue;  // nothing, or the whole document
        const std::string text = full.substr(0, cut);
        const Transcript run = RunProgram(Write("cut.kvnset", text));
        const int line = 1 + static_cast<int>(std::count(text.begin(), text.end() - 1, '\n'));
        EXPECT_EQ(run.code, 3) << "cut at " << cut << "\n" << run.out;
        EXPECT_NE(run.out.find("Error parsing line " + std::to_string(line) + "\n"),
                  std::string::npos)
            << "cut at " << cut << "\n" << run.out;
        EXPECT_TRUE(EndsWith(run.out, "Result = 3\n")) << run.out;
        EXPECT_EQ(run.out.find("Operation succeeded"), std::string::npos) << run.out;
        ++tested;
    }
    EXPECT_GT(tested, 90);
    // After five complete commands the text names the list that is still open.
    const std::size_t fifth = full.find("</Dravik_VerifyFile >") + 21;
    const Transcript run = RunProgram(Write("five.kvnset", full.substr(0, fifth) + "\n"));
    EXPECT_EQ(run.code, 3);
    EXPECT_NE(run.out.find("\nEnd of file before the end tag of element CommandList\n"),
              std::string::npos)
        << run.out;
}

TEST_F(ConsoleProjectFile, AProjectWithoutCommandListDoesNotRun) {
    std::string text = ReadFile(kBlinkDir + "blink.kvnset");
    const std::size_t begin = text.find("<CommandList");
    const std::size_t end = text.find("</CommandList >\n") + 16;
    text.erase(begin, end - begin);
    const std::string path = Write("nolist.kvnset", text);
    const Transcript run = RunProgram(path, "sim:chip=MSP430F149");
    EXPECT_EQ(run.code, 3) << run.out;
    EXPECT_EQ(run.out, "Unable to open project " + path +
                           "\nProject 'Blink' has no CommandList element\nOK? <Auto OK>\n"
                           "Result = 3\n");
}

TEST_F(ConsoleProjectFile, AMissingAttributeNamesTheElementAndLine) {
    std::string text = ReadFile(kBlinkDir + "blink.kvnset");
    const std::size_t vcc = text.find("\tdwVCC=\"3000\"\n");
    text.erase(vcc, 14);  // the project's, the first one
    const Transcript run = RunProgram(Write("novcc.kvnset", text), "sim:chip=MSP430F149");
    EXPECT_EQ(run.code, 3) << run.out;
    EXPECT_NE(run.out.find("\nAttribute dwVCC not found in element ProjectKelvane on line 2\n"),
              std::string::npos)
        << run.out;
}

TEST_F(ConsoleProjectFile, AByteOrderMarkBeforeTheProjectIsSkipped) {
    const std::string path =
        Write("bom.kvnset", "\xEF\xBB\xBF" + ReadFile(kBlinkDir + "blink.kvnset"));
    const Transcript run =
        RunProgram(path, "sim:chip=MSP430F149,state=" + (dir_ / "chip.state").string());
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_TRUE(EndsWith(run.out, "Operation succeeded\nResult = 0\n")) << run.out;
}

#if defined(__SANITIZE_ADDRESS__)
#define KELVANE_NO_ADDRESS_LIMIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVANE_NO_ADDRESS_LIMIT 1
#endif
#endif

TEST_F(ConsoleProjectFile, AProjectTooBigForTheMemoryFailsWithATextAndResultThree) {
#ifdef KELVANE_NO_ADDRESS_LIMIT
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#else
    // 95,000 commands (below the reader's limit of 100,000 elements) take about 35 MB of address
    // space to load; a small project runs in less than 20 MB. Read with 28 MB.
    std::string text = ReadFile(kBlinkDir + "blink.kvnset");
    std::string commands;
    const std::string comment = "<Comment strComment=\"x\"></Comment >\n";
    for (int i = 0; i < 95000; ++i)
        commands += comment;
    text.insert(text.find("</CommandList >"), commands);
    const Transcript run = RunProgram(Write("big.kvnset", text), "", "ulimit -v 28672;");
    EXPECT_EQ(run.code, 3) << run.out.substr(0, 2000);
    EXPECT_NE(run.out.find("memory"), std::string::npos) << run.out.substr(0, 2000);
    EXPECT_TRUE(EndsWith(run.out, "Result = 3\n")) << run.out.substr(0, 2000);
#endif
}

}  // namespace
