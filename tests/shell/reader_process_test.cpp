// The reader as a process: one copy per user, hand-over, a crashed copy, SIGTERM saving.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/sys/files.h"
#include "reader_test_support.h"

namespace lectra {
namespace {

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A reader process with its own program and runtime folders, on the offscreen platform or on
// the X display given.
struct ReaderProcess {
    pid_t pid = -1;

    // `folder`, when given, is the working folder the reader starts in.
    ReaderProcess(const std::string& home, const std::string& runtime, const std::string& book,
                  const std::string& folder = std::string(),
                  const std::string& display = std::string()) {
        pid = fork();
        if (pid == 0) {
            if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
            if (display.empty()) {
                setenv("QT_QPA_PLATFORM", "offscreen", 1);
            } else {
                unsetenv("QT_QPA_PLATFORM");
                setenv("DISPLAY", display.c_str(), 1);
            }
            setenv("LECTRA_HOME", home.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
            // Freed memory is overwritten, so that a use after free inside Qt's own code (which
            // the sanitizer does not watch) crashes instead of reading what was left there.
            const char* asan = std::getenv("ASAN_OPTIONS");
            const std::string fill =
                std::string(asan ? asan : "") + ":max_free_fill_size=65536:free_fill_byte=165";
            setenv("ASAN_OPTIONS", fill.c_str(), 1);
            setenv("MALLOC_PERTURB_", "165", 1);
            // Without a book the list of arguments ends after the program's name.
            execl(LECTRA_READER, LECTRA_READER, book.empty() ? nullptr : book.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    // The exit status, or −1 when it has not ended within `seconds`.
    int Wait(double seconds) {
        for (int waited = 0; pid > 0 && waited <= seconds * 1000; waited += 20) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            Sleep(20);
        }
        return -1;
    }
    // Never kill(−1, …): once the process is reaped there is nothing left to signal.
    int Signal(int sig, double seconds = 20) {
        if (pid <= 0) return -1;
        kill(pid, sig);
        return Wait(seconds);
    }
    ~ReaderProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

// A virtual X screen, so that a test can press keys in a real window; none when Xvfb or xdotool
// is missing.
struct VirtualScreen {
    std::string pid, display;

    VirtualScreen() {
        if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0) return;
        const std::string name = ":" + std::to_string(500 + getpid() % 400);
        pid = test::Run("Xvfb " + name +
                        " -screen 0 800x700x24 -nolisten tcp >/dev/null 2>&1 & echo $!");
        for (int i = 0; i < 100 && display.empty(); ++i) {
            Sleep(100);
            if (Xdotool("getdisplaygeometry", name)) display = name;
        }
    }
    static bool Xdotool(const std::string& args, const std::string& display) {
        return std::system(
                   ("DISPLAY=" + display + " timeout 60 xdotool " + args + " >/dev/null 2>&1")
                       .c_str()) == 0;
    }
    // Waits for the window of process `reader` to show; with a key, focuses it and presses it.
    bool Press(pid_t reader, const std::string& key = std::string()) const {
        if (reader <= 0) return false;
        const std::string search =
            "search --sync --onlyvisible --pid " + std::to_string(reader) + " \"\"";
        return Xdotool(key.empty() ? search : search + " windowfocus --sync key " + key, display);
    }
    ~VirtualScreen() {
        if (!pid.empty()) std::system(("kill " + pid).c_str());
    }
};

class ReaderProcessTest : public ::testing::Test {
protected:
    test::ScratchDir home, runtime;
    // The running copy's socket in the runtime folder; empty while there is none.
    std::string Socket() {
        for (const std::string& name : Entries())
            if (name.ends_with(".socket")) return runtime.path() + "/" + name;
        return std::string();
    }
    // The names in the runtime folder that belong to the reader.
    std::vector<std::string> Entries() {
        std::vector<FolderEntry> entries;
        ListFolder(Utf8ToUtf16(runtime.path()), entries);
        std::vector<std::string> names;
        for (const FolderEntry& e : entries)
            if (e.name.starts_with(u"lectra-")) names.push_back(Utf16ToUtf8(e.name));
        std::sort(names.begin(), names.end());
        return names;
    }

    void SetUp() override {
        chmod(runtime.path().c_str(), 0700);
        home.Write("_config.ini", test::kTestConfig);
    }
    // Waits until the first copy listens.
    bool Listening() {
        for (int i = 0; i < 1000; ++i) {
            if (!Socket().empty()) return true;
            Sleep(20);
        }
        return false;
    }
    std::string Recent() { return test::ReadBytes(home.path() + "/_recent.files.ini"); }
    // The book of the recent list's entry `i` as the file holds it.
    std::string RecentBook(int i) {
        return test::IniValue(home.path() + "/_recent.files.ini", "FILE_NAME_" + std::to_string(i));
    }
    std::string Book(const std::string& name, const std::string& sample) {
        return home.Write(name, test::ReadBytes(test::Sample(sample)));
    }
};

// Killed copies of this and other folders, and one that kept no lock, leave sockets; garbage sent.
TEST_F(ReaderProcessTest, SocketsOfKilledCopiesAreRemovedAndAMalformedMessageIsDropped) {
    test::ScratchDir homes[2];
    std::vector<std::unique_ptr<ReaderProcess>> copies;
    copies.push_back(std::make_unique<ReaderProcess>(home.path(), runtime.path(), ""));
    for (const test::ScratchDir& h : homes)
        copies.push_back(std::make_unique<ReaderProcess>(h.path(), runtime.path(), ""));
    for (int t = 0; t < 1000 && Entries().size() < 3u * 2; ++t) Sleep(20);
    for (auto& copy : copies) EXPECT_EQ(copy->Signal(SIGKILL), 128 + SIGKILL);
    runtime.Write("lectra-0123456789abcdef.socket", "");
    EXPECT_EQ(Entries().size(), 3u * 2 + 1);
    ReaderProcess reader(home.path(), runtime.path(), "");
    ASSERT_TRUE(Listening());
    for (int t = 0; t < 500 && Entries().size() > 2; ++t) Sleep(20);  // the stale ones go
    const std::vector<std::string> left = Entries();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].substr(0, 23) + ".socket", left[1]);
    const std::string garbage =
        "printf 'XXXX\\377\\377\\377\\377junk' | timeout 5 "
        "python3 -c \"import socket,sys;s=socket.socket(socket.AF_UNIX);"
        "s.connect('" +
        Socket() + "');s.sendall(sys.stdin.buffer.read())\"";
    EXPECT_EQ(std::system(garbage.c_str()), 0);
    ReaderProcess again(home.path(), runtime.path(), "");
    EXPECT_EQ(again.Wait(20), 0);
    EXPECT_EQ(reader.Wait(0.1), -1);  // still running
    EXPECT_EQ(reader.Signal(SIGTERM), 0);
}

// A book handed over that cannot be opened: the running copy says so in a box, and after OK it
// still runs and takes the next hand-over. The box waits past the connection's time limit and the
// client's disconnect, which once freed the connection under its own read handler.
TEST_F(ReaderProcessTest, AHandedOverBookThatCannotBeOpenedLeavesTheCopyAnswering) {
    const VirtualScreen screen;
    if (screen.display.empty()) GTEST_SKIP() << "Xvfb or xdotool is missing";
    const std::string good = Book("good.txt", "en-story.txt"),
                      first = Book("first.txt", "ru-story.txt");
    ReaderProcess reader(home.path(), runtime.path(), first, "", screen.display);
    ASSERT_TRUE(Listening());
    ASSERT_TRUE(screen.Press(reader.pid));
    ReaderProcess bad(home.path(), runtime.path(), home.path() + "/missing.txt", "",
                      screen.display);
    EXPECT_EQ(bad.Wait(20), 0);
    Sleep(3000);
    EXPECT_TRUE(screen.Press(reader.pid, "Return"));  // OK on "Error reading file!"
    EXPECT_EQ(reader.Wait(1), -1);
    ReaderProcess naming(home.path(), runtime.path(), good, "", screen.display);
    EXPECT_EQ(naming.Wait(20), 0);
    EXPECT_EQ(reader.Signal(SIGTERM), 0);
    EXPECT_EQ(RecentBook(0), good) << Recent();
}

// A second start without a book leaves the files alone; a copy that does not answer for a while
// is alive as long as it holds its lock: a second start waits for it and hands its book over, and
// never takes its socket to run as a second copy. SIGTERM ends the copy through its shutdown.
TEST_F(ReaderProcessTest, ASecondStartHandsItsBookOverEvenToABusyCopyAndExits) {
    const std::string first = Book("first.txt", "en-story.txt");
    const std::string second = Book("second.txt", "ru-story.txt");
    ReaderProcess reader(home.path(), runtime.path(), first);
    ASSERT_TRUE(Listening());
    Sleep(300);
    const std::string config = test::ReadBytes(home.path() + "/_config.ini");
    const std::string recent = Recent();
    ReaderProcess plain(home.path(), runtime.path(), "");
    EXPECT_EQ(plain.Wait(20), 0);
    EXPECT_EQ(test::ReadBytes(home.path() + "/_config.ini"), config);
    EXPECT_EQ(Recent(), recent);

    const std::vector<std::string> entries = Entries();
    ASSERT_EQ(kill(reader.pid, SIGSTOP), 0);
    ReaderProcess naming(home.path(), runtime.path(), second);
    EXPECT_EQ(naming.Wait(4), -1);  // waiting, not running as a copy of its own
    EXPECT_EQ(Entries(), entries);
    ASSERT_EQ(kill(reader.pid, SIGCONT), 0);
    EXPECT_EQ(naming.Wait(20), 0);
    EXPECT_EQ(reader.Signal(SIGTERM), 0);
    EXPECT_EQ(RecentBook(0), second) << Recent();  // the book handed over is the latest
    EXPECT_EQ(RecentBook(1), first) << Recent();
    EXPECT_NE(test::ReadBytes(home.path() + "/_config.ini").find("WINDOW_WIDTH=480"),
              std::string::npos);
    EXPECT_EQ(Entries(), std::vector<std::string>());  // socket and lock went with the copy
}

TEST_F(ReaderProcessTest, SigtermKeepsThePlaceAndARelativePathIsMadeAbsolute) {
    const std::string book = Book("story.txt", "ru-story.txt");
    // A place remembered by an earlier run, for a book opened by a relative path.
    {
        ReaderProcess reader(home.path(), runtime.path(), book);
        ASSERT_TRUE(Listening());
        EXPECT_EQ(reader.Signal(SIGTERM), 0);
    }
    std::string recent = Recent();
    const std::string key = "FILE_POS_0=0";
    ASSERT_NE(recent.find(key), std::string::npos) << recent;
    recent.replace(recent.find(key), key.size(), "FILE_POS_0=5000");
    home.Write("_recent.files.ini", recent);

    ReaderProcess relative(home.path(), runtime.path(), "story.txt", home.path());
    ASSERT_TRUE(Listening());
    Sleep(300);
    EXPECT_EQ(relative.Signal(SIGTERM), 0);
    // One entry for the book, at the place it reopened at (a page start at or before 5000).
    EXPECT_EQ(RecentBook(0), book) << Recent();
    EXPECT_NE(RecentBook(1), book) << Recent();
    const int position =
        std::atoi(test::IniValue(home.path() + "/_recent.files.ini", "FILE_POS_0").c_str());
    EXPECT_GT(position, 4000);
    EXPECT_LE(position, 5000);
}

}  // namespace
}  // namespace lectra
