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

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chip_state.h"
#include "project_test_support.h"

extern char** environ;

namespace kv::testing {
namespace {

// One run of the console program with its standard output on a pipe.
class ConsoleProcess {
  public:
    // `wrapper` runs the program under another one (a tracer), given with its arguments.
    ConsoleProcess(const std::string& project, const std::string& configHome,
                   std::vector<std::string> wrapper = {}, std::vector<std::string> extraEnv = {}) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
        // The entries given first; the simulated pod unless another is given.
        std::vector<std::string> env = std::move(extraEnv);
        if (std::none_of(env.begin(), env.end(),
                         [](const std::string& e) { return e.starts_with("KELVANE_USB="); }))
            env.push_back("KELVANE_USB=sim:chip=MSP430F149");
        env.push_back("XDG_CONFIG_HOME=" + configHome);
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
    pid_t Pid() const { return pid_; }
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
    // `after` stands after the Serialize command (a Delay gives the test time).
    std::string WriteSerialProject(const std::string& next,
                                   const std::string& name = "line.kvnset",
                                   const std::string& after = "") {
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
                      "\" nCount=\"0\" bCountUp=\"TRUE\"></Serialize>\n" +
                      after +
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
    const std::string waiting = "Waiting for " + path + ": another run is using it (process " +
                                std::to_string(::getpid()) + " (";
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

// A station stopped inside its run (Ctrl+Z, a debugger) holds the project:
// the next one names it, says so again while it waits, and gives up at the
// limit without opening anything; the stopped one, let go, completes.
TEST_F(ConsoleProcessTest, AStoppedStationIsNamedAndTheNextGivesUpAtTheLimit) {
    const std::string path = WriteSerialProject(
        "900", "line.kvnset", "<Delay dwDelay=\"500\">held</Delay>\n");
    ConsoleProcess stopped(path, config.Path());
    ASSERT_TRUE(stopped.ReadUntil("held")) << stopped.Text();
    ASSERT_EQ(::kill(stopped.Pid(), SIGSTOP), 0);
    const auto start = std::chrono::steady_clock::now();
    ConsoleProcess next(path, config.Path(), {}, {"KELVANE_LOCK_WAIT=1.5"});
    EXPECT_EQ(next.Finish(), 3) << next.Text();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    const std::string holder =
        ": another run is using it (process " + std::to_string(stopped.Pid()) +
        " (CmdLineKelvane), running since ";
    const std::string& text = next.Text();
    EXPECT_EQ(text.find("Waiting for " + path + holder), 0u) << text;
    EXPECT_NE(text.find("Still waiting for " + path + " after "), std::string::npos) << text;
    EXPECT_NE(text.find("giving up after 1.5 s\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Unable to open project " + path + "\nGave up after waiting 1.5 s for " +
                        path + holder),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Starting"), std::string::npos) << text;
    EXPECT_EQ(Attribute(ReadText(path), "strNextValue"), "900");
    ASSERT_EQ(::kill(stopped.Pid(), SIGCONT), 0);
    EXPECT_EQ(stopped.Finish(), 0) << stopped.Text();
    EXPECT_EQ(Attribute(ReadText(path), "strNextValue"), "901");
    // A limit that is not decimal seconds is said at once, and the default holds.
    for (const char* setting : {"1.5s", "0x10", "1e1", "+2", "inf", " 2", "90000"}) {
        SCOPED_TRACE(setting);
        ConsoleProcess mistyped(path, config.Path(), {},
                                {std::string("KELVANE_LOCK_WAIT=") + setting});
        EXPECT_EQ(mistyped.Finish(), 0) << mistyped.Text();
        EXPECT_EQ(mistyped.Text().find(std::string("KELVANE_LOCK_WAIT: \"") + setting +
                                       "\" is no number of seconds from 0 to 86400; waiting up "
                                       "to 300 s\n"),
                  0u)
            << mistyped.Text();
    }
}

// A project replaced or edited while a station runs it: by sed -i (a new
// file under the name, with nothing changed), by an edited copy moved over
// it, by an editor writing it in place, or given a second name (a hard link,
// which would keep the old number). The next station runs the file as it is
// then (a file of two names it refuses); the running one's save is refused
// and names the serial number it wrote, so no number goes to two chips whose
// runs pass, and the edit stays.
TEST_F(ConsoleProcessTest, AFileReplacedOrEditedDuringARunNeverPassesOneNumberTwice) {
    struct Row {
        const char* what;
        const char* command;  // run by the shell on the project "$0" and the edited copy "$1"
        const char* refusal;  // what the first station's save says
        bool secondWaits;     // the same file stays locked
        const char* kept;     // what the file holds afterwards
        int secondCode = 0;
        const char* next = "6001";  // the file's next number afterwards
    } rows[] = {
        {"sed -i", "sed -i 's/strName=\"Unit\"/strName=\"Unit\"/' \"$0\"",
         "it was replaced during the run (another program saved it, or a file was renamed over "
         "it), so it was not saved",
         false, "dwDelay=\"3000\""},
        {"mv of an edited copy", "mv \"$1\" \"$0\"",
         "it was replaced during the run (another program saved it, or a file was renamed over "
         "it), so it was not saved",
         false, "dwDelay=\"1400\""},
        {"an edit written in place", "cat \"$1\" > \"$0\"",
         "it was changed during the run by another program, so it was not saved", true,
         "dwDelay=\"1400\""},
        {"a second name by ln", "ln \"$0\" \"$0.h2\"",
         "it has 2 names (hard links) now, one made while the file was in use.", true,
         "dwDelay=\"3000\"", 3, "6000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path =
            WriteSerialProject("6000", "line.kvnset", "<Delay dwDelay=\"3000\">held</Delay>\n");
        const std::string edited = folder.File("edited.kvnset");
        std::string text = ReadText(path);
        text.replace(text.find("dwDelay=\"3000\""), 14, "dwDelay=\"1400\"");
        WriteText(edited, text);
        // The first station's Delay leaves the second time to start, even on a
        // loaded machine.
        ConsoleProcess first(path, config.Path());
        ASSERT_TRUE(first.ReadUntil("held")) << first.Text();
        ASSERT_EQ(std::system(("sh -c '" + std::string(row.command) + "' '" + path + "' '" +
                               edited + "'")
                                  .c_str()),
                  0);
        ConsoleProcess second(path, config.Path());
        const int firstCode = first.Finish();
        const int secondCode = second.Finish();
        EXPECT_EQ(firstCode, 26) << first.Text();
        EXPECT_EQ(secondCode, row.secondCode) << second.Text();
        EXPECT_NE(first.Text().find("Unable to write " + path + ": " + row.refusal),
                  std::string::npos)
            << first.Text();
        EXPECT_NE(first.Text().find("\nThis run issued Serialize Unit: 6000, which the file does "
                                    "not record\n"),
                  std::string::npos)
            << first.Text();
        EXPECT_EQ(second.Text().find("Waiting for ") == 0, row.secondWaits) << second.Text();
        // Only the second run passed: it issued the number, and recorded the
        // next; a file of two names issues none.
        EXPECT_EQ(second.Text().find("Serialize Unit: 6000 to 0x0200") != std::string::npos,
                  row.secondCode == 0)
            << second.Text();
        const std::string saved = ReadText(path);
        EXPECT_EQ(Attribute(saved, "strNextValue"), row.next);
        EXPECT_NE(saved.find(row.kept), std::string::npos) << saved;
        std::remove(edited.c_str());
        std::remove((path + ".h2").c_str());
    }
}

// SIGINT (Ctrl+C), SIGTERM (timeout) and SIGHUP (a logout) at three points
// of a pod run and of an adapter run: the run stops after the library call
// in progress, switches the target off, says by which signal, saves nothing
// and ends with 100.
TEST_F(ConsoleProcessTest, ASignalDuringARunStopsItAndSwitchesTheTargetOff) {
    std::string image = "@8000\n";
    for (int i = 0; i < 8192; ++i)
        image += (i % 16 == 15) ? "A5\n" : "A5 ";
    WriteText(folder.File("image.txt"), image + "q\n");
    const std::string out = folder.File("out.txt");
    const std::string password =
        "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
        "bPasswordSourceIsFile=\"FALSE\">\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n</Tovrin_SetPassword>\n";
    const std::string podOpen =
        "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
        "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n";
    const std::string podClose = "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n";
    const std::string seize = "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n" + password;
    const std::string powerOff = "<Tovrin_PowerOff></Tovrin_PowerOff>\n";
    struct Point {
        const char* what;
        const char* processor;
        const char* devices;  // the simulator's settings before its state file
        std::string commands;
        const char* killAt;   // the signal goes once the output holds this
        const char* ran;      // in the output: the command the signal met ended
        const char* offLine;  // the failure path's power-off
        std::vector<const char*> notRun;
    } points[] = {
        {"pod: in a Delay after Open", "MSP430F149", "chip=MSP430F149",
         "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n<Delay dwDelay=\"3000\">hold</Delay>\n" +
             podOpen.substr(podOpen.find("<Dravik_Identify")) + podClose,
         "hold", "Open JTAG: 3.0v OK\n", "VCC Off: OK\n", {"hold......", "Identify", "Close JTAG"}},
        {"pod: in a programming call", "MSP430F149", "chip=MSP430F149",
         podOpen +
             "<Dravik_Erase dwEraseType=\"ERASE_ALL\" dwSegment=\"0x00001000\" "
             "dwLength=\"0x00000001\"></Dravik_Erase>\n"
             "<Dravik_ProgramFile strFileName=\"image.txt\" nFileType=\"FILETYPE_TI_TXT\" "
             "bVerifyMem=\"FALSE\"></Dravik_ProgramFile>\n<Delay dwDelay=\"2000\">after</Delay>\n"
             "<Dravik_VerifyFile strFileName=\"image.txt\" nFileType=\"FILETYPE_TI_TXT\">"
             "</Dravik_VerifyFile>\n" +
             podClose,
         "Program File 'image': ", "image.txt OK\n", "VCC Off: OK\n", {"Verify File", "Close JTAG"}},
        {"pod: after a serial number was written", "MSP430F149", "chip=MSP430F149",
         podOpen +
             "<Serialize strName=\"Unit\" dwAddress=\"0x00000200\" strAlgorithm=\"DWORD\" "
             "strModule=\"libvossil.so\" strNextValue=\"77\" nCount=\"0\" bCountUp=\"TRUE\">"
             "</Serialize>\n<Delay dwDelay=\"3000\">hold</Delay>\n" +
             podClose,
         "hold", "Serialize Unit: 77 to 0x0200 (libvossil.so::DWORD) OK\n", "VCC Off: OK\n",
         {"hold......", "Close JTAG"}},
        {"adapter: in a memory read, one library call", "MSP430F2274",
         "pod=none,adapter=MSP430F2274,time=real",
         seize +
             "<Tovrin_ReadMemory dwAddress=\"0x00008000\" dwCount=\"0x00000200\" "
             "wValueType=\"BYTE\"></Tovrin_ReadMemory>\n"
             "<Tovrin_LoadPC dwValue=\"0x0C22\"></Tovrin_LoadPC>\n" +
             powerOff,
         "Read Memory @0x08000 (BSL): ", "081F0: FF", "Power Off (BSL): OK\n", {"Load PC"}},
        {"adapter: between the pieces of a file written", "MSP430F2274",
         "pod=none,adapter=MSP430F2274,time=real",
         seize +
             "<Tovrin_WriteFile strFileName=\"image.txt\" nFileType=\"FILETYPE_TI_TXT\" "
             "bVerifyMem=\"FALSE\"></Tovrin_WriteFile>\n" +
             powerOff,
         "image.txt \n", "image.txt \n", "Power Off (BSL): OK\n", {"......", "Operation succeeded"}},
        {"adapter: between the pieces of a read-out", "MSP430F2274",
         "pod=none,adapter=MSP430F2274,time=real",
         seize + "<Tovrin_ReadRangeToFile strFileName=\"" + out +
             "\" nFileType=\"FILETYPE_TI_TXT\" dwAddress=\"32768\" dwLength=\"8192\">"
             "</Tovrin_ReadRangeToFile>\n" +
             powerOff,
         "Reading at 0x", "length 0x00002000\n", "Power Off (BSL): OK\n",
         {"......", "Writing file"}},
    };
    const std::pair<int, const char*> signals[] = {
        {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    for (const Point& point : points) {
        for (const auto& [number, name] : signals) {
            SCOPED_TRACE(std::string(point.what) + ", " + name);
            const std::string state = folder.File("chip.state");
            std::remove(state.c_str());
            WriteText(out, "the previous read-out\n");
            const std::string path = folder.File("stopped.kvnset");
            WriteText(path, "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
                            "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" "
                            "strName=\"Stopped\" strTargetProcessor=\"" +
                                std::string(point.processor) +
                                "\" dwVCC=\"3000\">\n<CommandList>\n" + point.commands +
                                "</CommandList>\n</ProjectKelvane>\n");
            const std::string before = ReadText(path);
            ConsoleProcess station(
                path, config.Path(), {},
                {std::string("KELVANE_USB=sim:") + point.devices + ",state=" + state});
            ASSERT_TRUE(station.ReadUntil(point.killAt)) << station.Text();
            ASSERT_EQ(::kill(station.Pid(), number), 0);
            EXPECT_EQ(station.Finish(), 100) << station.Text();
            const std::string& text = station.Text();
            const std::size_t ran = text.find(point.ran);
            const std::size_t off = text.find(point.offLine, ran);
            const std::size_t said =
                text.find("Unable to complete operation.\nStopped by " + std::string(name) +
                              "\nOK? <Auto OK>\nOperation failed\nResult = 100\n",
                          off);
            EXPECT_TRUE(ran != std::string::npos && off != std::string::npos &&
                        said != std::string::npos)
                << text;
            for (const char* absent : point.notRun)
                EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;
            EXPECT_EQ(ChipPowered(state, point.processor), std::optional<bool>(false))
                << "the target is left powered";
            EXPECT_EQ(ReadText(path), before);
            EXPECT_EQ(ReadText(out), "the previous read-out\n");
        }
    }
}

// A second signal ends the program at once, as an operator who means it
// wants; outside a run (waiting for the project) a signal ends it as ever.
TEST_F(ConsoleProcessTest, ASecondSignalOrOneOutsideARunEndsTheProgramAtOnce) {
    const std::string path =
        WriteSerialProject("5", "line.kvnset", "<Delay dwDelay=\"5000\">hold</Delay>\n");
    ConsoleProcess twice(path, config.Path());
    ASSERT_TRUE(twice.ReadUntil("hold")) << twice.Text();
    // Two different signals, as a second one of the same kind sent before
    // the first is taken would be one: Ctrl+C, then a timeout's SIGTERM.
    ASSERT_EQ(::kill(twice.Pid(), SIGINT), 0);
    ASSERT_EQ(::kill(twice.Pid(), SIGTERM), 0);
    const int code = twice.Finish();
    EXPECT_TRUE(code == 128 + SIGINT || code == 128 + SIGTERM) << code << "\n" << twice.Text();
    EXPECT_EQ(twice.Text().find("Result ="), std::string::npos) << twice.Text();

    const int holder = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    ConsoleProcess waiting(path, config.Path());
    ASSERT_TRUE(waiting.ReadUntil("Waiting for ")) << waiting.Text();
    ASSERT_EQ(::kill(waiting.Pid(), SIGTERM), 0);
    EXPECT_EQ(waiting.Finish(), 128 + SIGTERM) << waiting.Text();
    EXPECT_EQ(waiting.Text().find("Starting"), std::string::npos) << waiting.Text();
    ::close(holder);
}

// A read-out past the file size limit (ulimit -f 8, a full disk alike)
// fails with the system's text, and the previous read-out stays whole; the
// same run without the limit replaces it.
TEST_F(ConsoleProcessTest, AReadOutThatCannotBeWrittenKeepsThePreviousOne) {
    if (::access("/bin/bash", X_OK) != 0) GTEST_SKIP() << "bash is not installed";
    const std::string out = folder.File("out.txt");
    const std::string password =
        "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
        "bPasswordSourceIsFile=\"FALSE\">\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n</Tovrin_SetPassword>\n";
    struct Row {
        const char* what;
        const char* devices;
        const char* processor;
        std::string commands;
    } rows[] = {
        {"pod", "KELVANE_USB=sim:chip=MSP430F149", "MSP430F149",
         "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
         "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
         "<Dravik_ReadRangeToFile strFileName=\"" + out +
             "\" nFileType=\"FILETYPE_TI_TXT\" dwAddress=\"4352\" dwLength=\"4096\">"
             "</Dravik_ReadRangeToFile>\n<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n"},
        {"adapter", "KELVANE_USB=sim:pod=none,adapter=MSP430F2274", "MSP430F2274",
         "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n" + password +
             "<Tovrin_ReadRangeToFile strFileName=\"" + out +
             "\" nFileType=\"FILETYPE_TI_TXT\" dwAddress=\"57344\" dwLength=\"4096\">"
             "</Tovrin_ReadRangeToFile>\n<Tovrin_PowerOff></Tovrin_PowerOff>\n"},
    };
    const std::string good(24 * 1024, 'g');
    for (const Row& row : rows) {
        for (const bool limited : {true, false}) {
            WriteText(out, good);
            const std::string path = folder.File("read.kvnset");
            WriteText(path, "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
                            "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" "
                            "strName=\"Read\" strTargetProcessor=\"" +
                                std::string(row.processor) +
                                "\" dwVCC=\"3000\">\n<CommandList>\n" + row.commands +
                                "</CommandList>\n</ProjectKelvane>\n");
            std::vector<std::string> wrapper;
            if (limited) wrapper = {"/bin/bash", "-c", "ulimit -f 8 && exec \"$0\" \"$@\""};
            ConsoleProcess station(path, config.Path(), wrapper, {row.devices});
            const int code = station.Finish();
            const std::string after = ReadText(out);
            if (limited) {
                EXPECT_NE(code, 0) << row.what << "\n" << station.Text();
                EXPECT_NE(station.Text().find("File too large"), std::string::npos)
                    << row.what << "\n" << station.Text();
                EXPECT_TRUE(after == good) << row.what << ": " << after.size() << " bytes";
            } else {
                EXPECT_EQ(code, 0) << row.what << "\n" << station.Text();
                EXPECT_GT(after.size(), 8192u) << row.what;
                EXPECT_TRUE(after.starts_with("@")) << row.what << after.substr(0, 100);
            }
            std::size_t files = 0;
            for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
                files += entry.path().filename().string().starts_with("out.txt");
            EXPECT_EQ(files, 1u) << row.what << ": a temporary file is left";
        }
    }
}

// A station whose USB module is missing (a copied program folder without it)
// or cannot be loaded (a damaged file) says so, with the module's path and
// the loader's reason, in its run log; with "none" it stays silent.
TEST_F(ConsoleProcessTest, AUsbModuleThatCannotBeLoadedIsNamedWithItsReason) {
    namespace fs = std::filesystem;
    const fs::path built = fs::path(KELVANE_CONSOLE_PROGRAM).parent_path();
    TempFolder station;
    const fs::path copy = station.Path();
    for (const auto& entry : fs::directory_iterator(built)) {
        const std::string name = entry.path().filename().string();
        if (name == "CmdLineKelvane" || name.ends_with(".xml") ||
            (name.ends_with(".so") && name != "libkelvane_ftdiusb.so"))
            fs::copy_file(entry.path(), copy / name);
    }
    const std::string program = (copy / "CmdLineKelvane").string();
    const std::vector<std::string> wrapper = {"/bin/sh", "-c", "exec \"" + program + "\" \"$1\""};
    const std::string module = (copy / "libkelvane_ftdiusb.so").string();
    const std::string path = WriteSerialProject("1");
    struct Row {
        const char* what;
        const char* setting;
        const char* moduleText;  // nullptr: no module
        std::string reason;      // empty: nothing is said
    } rows[] = {
        {"missing", "KELVANE_USB=", nullptr, "cannot open shared object file"},
        {"damaged", "KELVANE_USB=ftdi", "not a library", "file too short"},
        {"none", "KELVANE_USB=none", nullptr, ""},
    };
    for (const Row& row : rows) {
        fs::remove(module);
        if (row.moduleText != nullptr) WriteText(module, row.moduleText);
        ConsoleProcess run(path, config.Path(), wrapper, {row.setting});
        EXPECT_NE(run.Finish(), 0) << row.what << "\n" << run.Text();
        const std::string said = "Unable to load the USB module " + module + " (";
        const std::size_t at = run.Text().find(said);
        if (row.reason.empty()) {
            EXPECT_EQ(run.Text().find("USB module"), std::string::npos) << run.Text();
            continue;
        }
        ASSERT_NE(at, std::string::npos) << row.what << "\n" << run.Text();
        const std::string line = run.Text().substr(at, run.Text().find('\n', at) - at);
        EXPECT_NE(line.find(row.reason), std::string::npos) << line;
        EXPECT_TRUE(line.ends_with("); no USB devices")) << line;
        // Once, after the failed open's own text and before the result.
        EXPECT_EQ(run.Text().find(said, at + 1), std::string::npos) << run.Text();
        EXPECT_LT(run.Text().find("Unable to open Dravik\nCould not open port 0\n"), at)
            << run.Text();
        EXPECT_LT(at, run.Text().find("Result = ")) << run.Text();
    }
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
        // The processor of the file the console opened last, not the default F169.
        EXPECT_NE(text.find("LastTargetProcessor=MSP430F149\n"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace kv::testing
