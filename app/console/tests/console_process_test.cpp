// The console programmer as separate processes on one Serialize project, as
// two stations of a production line run it: each serial number is issued
// once, and a success line always means the advance is on disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "project_test_support.h"

extern char** environ;

namespace kv::testing {
namespace {

// One run of the console program with its standard output on a pipe.
class ConsoleProcess {
  public:
    // `wrapper` runs the program under another one (a tracer), given with its arguments.
    ConsoleProcess(const std::string& project, const std::string& configHome,
                   std::vector<std::string> wrapper = {}) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
        std::vector<std::string> env = {"KELVANE_USB=sim:chip=MSP430F149",
                                        "XDG_CONFIG_HOME=" + configHome};
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("KELVANE_USB=", 0) != 0 && entry.rfind("XDG_CONFIG_HOME=", 0) != 0)
                env.push_back(entry);
        }
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        wrapper.push_back(KELVANE_CONSOLE_PROGRAM);
        wrapper.push_back(project);
        std::vector<char*> argv;
        for (std::string& argument : wrapper)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        out_ = pipeFds[0];
    }
    ~ConsoleProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
        if (out_ >= 0) ::close(out_);
    }
    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // Reads until the output holds the text (true) or ends (false).
    bool ReadUntil(const std::string& text) {
        while (text_.find(text) == std::string::npos) {
            if (!ReadSome()) return false;
        }
        return true;
    }
    // The whole output, and the exit code.
    int Finish() {
        while (ReadSome()) {
        }
        return Wait();
    }
    void Kill() {
        ::kill(pid_, SIGKILL);
        Wait();
    }
    const std::string& Text() const { return text_; }

  private:
    bool ReadSome() {
        char buffer[4096];
        ssize_t n = 0;
        do {
            n = ::read(out_, buffer, sizeof buffer);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) return false;
        text_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    int Wait() {
        int status = 0;
        if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string text_;
};

class ConsoleProcessTest : public ::testing::Test {
  protected:
    std::string WriteSerialProject(const std::string& next,
                                   const std::string& name = "line.kvnset") {
        const std::string path = folder.File(name);
        WriteText(path,
                  "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
                  "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" strName=\"Line\" "
                  "strTargetProcessor=\"MSP430F149\" dwVCC=\"3000\">\n<CommandList>\n"
                  "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                  "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                  "<Serialize strName=\"Unit\" dwAddress=\"0x00000200\" strAlgorithm=\"DWORD\" "
                  "strModule=\"libvossil.so\" strNextValue=\"" +
                      next +
                      "\" nCount=\"0\" bCountUp=\"TRUE\"></Serialize>\n"
                      "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n"
                      "</CommandList>\n</ProjectKelvane>\n");
        return path;
    }
    static std::string Attribute(const std::string& text, const std::string& name) {
        const std::string key = name + "=\"";
        const std::size_t at = text.find(key);
        if (at == std::string::npos) return "(none)";
        const std::size_t end = text.find('"', at + key.size());
        return text.substr(at + key.size(), end - at - key.size());
    }
    TempFolder folder;
    TempFolder config;
};

TEST_F(ConsoleProcessTest, TwoStationsRunningOneProjectWriteTwoNumbers) {
    const std::string path = WriteSerialProject("1000");
    // A third holder keeps the file until both runs are waiting for it.
    const int holder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    ConsoleProcess first(path, config.Path());
    ConsoleProcess second(path, config.Path());
    ASSERT_TRUE(first.Started() && second.Started());
    const std::string waiting = "Waiting for " + path + ": another run is using it\n";
    EXPECT_TRUE(first.ReadUntil(waiting)) << first.Text();
    EXPECT_TRUE(second.ReadUntil(waiting)) << second.Text();
    ::close(holder);

    EXPECT_EQ(first.Finish(), 0) << first.Text();
    EXPECT_EQ(second.Finish(), 0) << second.Text();
    const std::string both = first.Text() + second.Text();
    EXPECT_NE(both.find("Serialize Unit: 1000 to 0x0200 (libvossil.so::DWORD) OK\n"),
              std::string::npos)
        << both;
    EXPECT_NE(both.find("Serialize Unit: 1001 to 0x0200 (libvossil.so::DWORD) OK\n"),
              std::string::npos)
        << both;
    // The line is printed once per run.
    EXPECT_EQ(first.Text().find(waiting), first.Text().rfind(waiting));
    const std::string saved = ReadText(path);
    EXPECT_EQ(Attribute(saved, "strNextValue"), "1002");
    EXPECT_EQ(Attribute(saved, "nCount"), "2");
}

TEST_F(ConsoleProcessTest, AKillAfterTheSuccessLineKeepsTheAdvance) {
    for (int run = 0; run < 3; ++run) {
        const std::string path = WriteSerialProject("500");
        ConsoleProcess station(path, config.Path());
        ASSERT_TRUE(station.Started());
        ASSERT_TRUE(station.ReadUntil("Operation succeeded\n")) << station.Text();
        station.Kill();
        EXPECT_EQ(Attribute(ReadText(path), "strNextValue"), "501") << station.Text();
    }
}

TEST_F(ConsoleProcessTest, TemporaryFilesOfKilledSavesAreRemovedAtTheNextSave) {
    const std::string path = WriteSerialProject("7");
    // A process that has ended, and one that is still running (this test).
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ASSERT_GT(ended, 0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const std::string stale = path + ".~" + std::to_string(ended) + ".4";
    const std::string live = path + ".~" + std::to_string(::getpid()) + ".1";
    const std::string other = folder.File("other.kvnset.~") + std::to_string(ended) + ".2";
    for (const std::string& file : {stale, live, other})
        WriteText(file, "<ProjectKelvane");
    ConsoleProcess station(path, config.Path());
    EXPECT_EQ(station.Finish(), 0) << station.Text();
    EXPECT_FALSE(FileExists(stale));
    EXPECT_TRUE(FileExists(live));
    EXPECT_TRUE(FileExists(other));
    EXPECT_EQ(Attribute(ReadText(path), "strNextValue"), "8");
}

TEST_F(ConsoleProcessTest, ANumberThatIsNotOneIsRefusedAndNothingAdvances) {
    const std::string path = WriteSerialProject("42xyz");
    const std::string before = ReadText(path);
    ConsoleProcess station(path, config.Path());
    const int code = station.Finish();
    EXPECT_NE(code, 0) << station.Text();
    // Refused before the run opens the pod.
    EXPECT_NE(station.Text().find("Unable to launch operation.\nSerializer parse failed\n"
                                  "Value '42xyz' is not a decimal number for DWORD algorithm\n"),
              std::string::npos)
        << station.Text();
    EXPECT_EQ(station.Text().find("Open JTAG"), std::string::npos) << station.Text();
    EXPECT_EQ(ReadText(path), before);
}

TEST_F(ConsoleProcessTest, AHardLinkedProjectIsRefusedByBothNamesAndNothingIsIssued) {
    const std::string path = WriteSerialProject("3000");
    const std::string other = folder.File("b.kvnset");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    const std::string before = ReadText(path);
    ConsoleProcess first(path, config.Path());
    ConsoleProcess second(other, config.Path());
    ASSERT_TRUE(first.Started() && second.Started());
    for (ConsoleProcess* station : {&first, &second}) {
        EXPECT_EQ(station->Finish(), 3) << station->Text();
        EXPECT_NE(station->Text().find(" has 2 names (hard links): a run by one name would not "
                                       "be seen by a run by another, and both would issue the "
                                       "same serial numbers."),
                  std::string::npos)
            << station->Text();
        EXPECT_EQ(station->Text().find("Serialize"), std::string::npos) << station->Text();
    }
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(ReadText(other), before);
}

// A station killed inside the save of the advanced number: at the sync of
// the new file, at the rename over the old one, at the sync of the folder.
TEST_F(ConsoleProcessTest, AKillInsideTheSaveLeavesTheProjectWholeAndNoPassedNumberAgain) {
    const char* tracer = "/usr/bin/strace";
    if (::access(tracer, X_OK) != 0) GTEST_SKIP() << "strace is not installed";
    struct Case {
        const char* call;
        int when;
        const char* next;  // the next value the file holds after the kill
    } cases[] = {{"fsync", 1, "600"}, {"rename", 1, "600"}, {"fsync", 2, "601"}};
    for (const Case& c : cases) {
        const std::string path = WriteSerialProject("600");
        const std::string before = ReadText(path);
        ConsoleProcess killed(
            path, config.Path(),
            {tracer, "-qq", "-o", "/dev/null", "-e",
             std::string("inject=") + c.call + ":signal=SIGKILL:when=" + std::to_string(c.when)});
        ASSERT_TRUE(killed.Started());
        EXPECT_EQ(killed.Finish(), 128 + SIGKILL) << c.call << "\n" << killed.Text();
        EXPECT_NE(killed.Text().find("Serialize Unit: 600 to 0x0200"), std::string::npos)
            << killed.Text();
        EXPECT_EQ(killed.Text().find("Operation succeeded"), std::string::npos) << killed.Text();
        // The file is the old one or the new one, whole.
        const std::string after = ReadText(path);
        EXPECT_EQ(Attribute(after, "strNextValue"), c.next) << c.call << c.when;
        if (std::string(c.next) == "600") {
            EXPECT_EQ(after, before);
        } else {
            EXPECT_TRUE(after.ends_with("</CommandList >\n</ProjectKelvane >\n")) << after;
        }
        // The next two runs pass, each with a number of its own.
        const int next = std::stoi(c.next);
        for (int run = 0; run < 2; ++run) {
            ConsoleProcess station(path, config.Path());
            EXPECT_EQ(station.Finish(), 0) << station.Text();
            EXPECT_NE(station.Text().find("Serialize Unit: " + std::to_string(next + run) +
                                          " to 0x0200 (libvossil.so::DWORD) OK\n"),
                      std::string::npos)
                << station.Text();
        }
        EXPECT_EQ(Attribute(ReadText(path), "strNextValue"), std::to_string(next + 2));
    }
}

// Stations of one account run at once, so their settings file is read and
// replaced by several programs together, as a plain file and through a link.
TEST_F(ConsoleProcessTest, StationsOfOneAccountKeepTheSettingsFileWhole) {
    const std::string user = "[Station]\nBench=4\nLine=B\n\n[LastDoc]\nLastVCC=2500\n";
    for (const bool linked : {false, true}) {
        TempFolder home;
        const std::string ini = home.File("Orvanti/Kelvane.ini");
        const std::string target = linked ? home.File("shared/Kelvane.ini") : ini;
        ::mkdir(home.File("Orvanti").c_str(), 0755);
        ::mkdir(home.File("shared").c_str(), 0755);
        WriteText(target, user);
        ASSERT_TRUE(!linked || ::symlink("../shared/Kelvane.ini", ini.c_str()) == 0) << ini;
        std::vector<std::string> projects;
        for (int i = 0; i < 4; ++i)
            projects.push_back(WriteSerialProject("1", "station" + std::to_string(i) + ".kvnset"));
        for (int round = 0; round < 15; ++round) {
            std::vector<std::unique_ptr<ConsoleProcess>> stations;
            for (const std::string& project : projects)
                stations.push_back(std::make_unique<ConsoleProcess>(project, home.Path()));
            for (auto& station : stations) {
                EXPECT_EQ(station->Finish(), 0) << station->Text();
                EXPECT_EQ(station->Text().find("Settings file"), std::string::npos)
                    << station->Text();
            }
        }
        struct stat info {};
        ASSERT_EQ(::lstat(ini.c_str(), &info), 0);
        EXPECT_EQ(S_ISLNK(info.st_mode), linked) << "the link is kept";
        // Every line a section, a key or a blank; every section once.
        const std::string text = ReadText(target);
        std::istringstream lines(text);
        std::set<std::string> sections;
        for (std::string line; std::getline(lines, line);) {
            if (line.empty()) continue;
            if (line.front() == '[') {
                EXPECT_TRUE(sections.insert(line).second) << text;
                EXPECT_EQ(line.back(), ']') << text;
            } else {
                EXPECT_NE(line.find('='), std::string::npos) << text;
            }
        }
        EXPECT_EQ(sections,
                  (std::set<std::string>{"[LastDoc]", "[NewProject]", "[Options]", "[Station]"}))
            << text;
        EXPECT_NE(text.find("[Station]\nBench=4\nLine=B\n"), std::string::npos) << text;
        EXPECT_TRUE(text.ends_with("\n")) << text;
        EXPECT_NE(text.find("LastOpenedFile=" + folder.File("station")), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace kv::testing
