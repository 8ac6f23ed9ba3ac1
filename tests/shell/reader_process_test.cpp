// The reader as a process: one running copy per user, a second start handing its book over, a
// copy that crashed leaving nothing in the way, and SIGTERM saving the place.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/sys/files.h"
#include "reader_test_support.h"

namespace lectra {
namespace {

// A reader process on the offscreen platform with its own program and runtime folders.
struct ReaderProcess {
    pid_t pid = -1;

    // `folder`, when given, is the working folder the reader starts in.
    ReaderProcess(const std::string& home, const std::string& runtime, const std::string& book,
                  const std::string& folder = std::string()) {
        pid = fork();
        if (pid == 0) {
            if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("LECTRA_HOME", home.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
            if (book.empty()) {
                execl(LECTRA_READER, LECTRA_READER, static_cast<char*>(nullptr));
            } else {
                execl(LECTRA_READER, LECTRA_READER, book.c_str(), static_cast<char*>(nullptr));
            }
            _exit(127);
        }
    }
    // The exit status, or −1 when it has not ended within `seconds`.
    int Wait(double seconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
    int Signal(int sig, double seconds = 20) {
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

class ReaderProcessTest : public ::testing::Test {
protected:
    test::ScratchDir home, runtime;
    // The running copy's socket in the runtime folder; empty while there is none.
    std::string Socket() {
        std::vector<FolderEntry> entries;
        ListFolder(Utf8ToUtf16(runtime.path()), entries);
        for (const FolderEntry& e : entries) {
            if (e.name.rfind(u"lectra-", 0) == 0) return runtime.path() + "/" + Utf16ToUtf8(e.name);
        }
        return std::string();
    }

    void SetUp() override {
        chmod(runtime.path().c_str(), 0700);
        home.Write("_config.ini", test::kTestConfig);
    }
    // Waits until the first copy listens.
    bool Listening() {
        for (int i = 0; i < 1000; ++i) {
            if (!Socket().empty()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    std::string Recent() { return test::ReadBytes(home.path() + "/_recent.files.ini"); }
};

TEST_F(ReaderProcessTest, ASecondStartHandsItsBookToTheFirstAndExits) {
    const std::string first =
        home.Write("first.txt", test::ReadBytes(test::Sample("en-story.txt")));
    const std::string second =
        home.Write("second.txt", test::ReadBytes(test::Sample("ru-story.txt")));
    ReaderProcess reader(home.path(), runtime.path(), first);
    ASSERT_TRUE(Listening());
    const std::string socket = Socket();
    const std::string config = test::ReadBytes(home.path() + "/_config.ini");
    const std::string recent = Recent();

    ReaderProcess plain(home.path(), runtime.path(), "");
    EXPECT_EQ(plain.Wait(20), 0);
    {
        // A copy with a settings folder of its own shares no file with this one: it runs.
        test::ScratchDir other;
        ReaderProcess own(other.path(), runtime.path(), "");
        EXPECT_EQ(own.Wait(2), -1);
    }
    EXPECT_EQ(test::ReadBytes(home.path() + "/_config.ini"), config);
    EXPECT_EQ(Recent(), recent);

    ReaderProcess naming(home.path(), runtime.path(), second);
    EXPECT_EQ(naming.Wait(20), 0);
    // SIGTERM ends the first copy through its shutdown: the book it was handed is the latest.
    EXPECT_EQ(reader.Signal(SIGTERM), 0);
    const std::string saved = Recent();
    const size_t secondAt = saved.find("FILE_NAME_0=" + second + "\r\n");
    EXPECT_NE(secondAt, std::string::npos) << saved;
    EXPECT_NE(saved.find("FILE_NAME_1=" + first + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(test::ReadBytes(home.path() + "/_config.ini").find("WINDOW_WIDTH=480"),
              std::string::npos);
    struct stat st;
    EXPECT_NE(stat(socket.c_str(), &st), 0);  // the socket went with its copy
}

TEST_F(ReaderProcessTest, ACopyThatCrashedDoesNotStopTheNextAndAMalformedMessageIsDropped) {
    {
        ReaderProcess crashed(home.path(), runtime.path(), "");
        ASSERT_TRUE(Listening());
        EXPECT_EQ(crashed.Signal(SIGKILL), 128 + SIGKILL);
    }
    ReaderProcess reader(home.path(), runtime.path(), "");
    // The stale socket is replaced: a later start finds this copy and exits.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(Listening());
    {
        ReaderProcess later(home.path(), runtime.path(), "");
        EXPECT_EQ(later.Wait(20), 0);
    }
    // Garbage on the socket neither ends the running copy nor stops it answering.
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

TEST_F(ReaderProcessTest, SigtermKeepsThePlaceAndARelativePathIsMadeAbsolute) {
    const std::string book = home.Write("story.txt", test::ReadBytes(test::Sample("ru-story.txt")));
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
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(relative.Signal(SIGTERM), 0);
    recent = Recent();
    // One entry for the book, at the place it reopened at (a page start at or before 5000).
    EXPECT_NE(recent.find("FILE_NAME_0=" + book + "\r\n"), std::string::npos) << recent;
    EXPECT_EQ(recent.find("FILE_NAME_1=" + book), std::string::npos) << recent;
    const size_t pos = recent.find("FILE_POS_0=");
    const int position = std::atoi(recent.c_str() + pos + 11);
    EXPECT_GT(position, 4000);
    EXPECT_LE(position, 5000);
}

}  // namespace
}  // namespace lectra
