// The folder and TCP targets against the host's real file system and a loopback listener of
// the test's own: a label arrives whole and exact, or the printer says why not, in time.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "label_printer.h"
#include "printer_under_test.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class FolderTarget : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zq_labels_" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(FolderTarget, EachLabelIsAFileOfItsOwnAndNoneReplacesAnother) {
    std::unique_ptr<LabelPrinter> printer = Printer("folder:" + folder_.string());
    ASSERT_TRUE(printer->Print("^XA^FDone^FS^XZ", "ZQ000001"));
    ASSERT_TRUE(printer->Print("^XA^FDtwo^FS^XZ", "ZQ000001"));
    ASSERT_TRUE(printer->Print("^XA^FDodd^FS^XZ", "A/B:C*"));
    EXPECT_EQ(Names(folder_),
              (std::vector<std::string>{"A_B_C_.zpl", "ZQ000001-2.zpl", "ZQ000001.zpl"}));
    EXPECT_EQ(ReadAll(folder_ / "ZQ000001.zpl"), "^XA^FDone^FS^XZ");
    EXPECT_EQ(ReadAll(folder_ / "ZQ000001-2.zpl"), "^XA^FDtwo^FS^XZ");

    Status missing = Printer("folder:" + (folder_ / "gone").string())->Print("^XA^XZ", "x");
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.Err().message.find("gone: No such file or directory"), std::string::npos)
        << missing.Err().message;
}

// Label software takes a file the moment it sees it: whatever name it may see ends in .zpl
// only once the label is whole.
TEST_F(FolderTarget, AWatcherNeverSeesHalfALabel) {
    const std::string label = Label(8 << 20);
    std::atomic<bool> done{false};
    int partial = 0;
    int seen = 0;
    std::thread watcher([&] {
        while (!done) {
            for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
                if (entry.path().extension() == ".zpl") {
                    seen++;
                    partial += ReadAll(entry.path()) != label ? 1 : 0;
                    fs::remove(entry.path());  // taken, as label software would
                }
            }
        }
    });
    std::unique_ptr<LabelPrinter> printer = Printer("folder:" + folder_.string());
    for (int i = 0; i < 8; i++) {
        EXPECT_TRUE(printer->Print(label, "ZQ00000" + std::to_string(i)));
    }
    std::this_thread::sleep_for(50ms);
    done = true;
    watcher.join();
    EXPECT_EQ(partial, 0) << "of " << seen << " labels seen";
    EXPECT_GT(seen, 0);
}

// A disk that fills up half-way through a label (here: a file size limit) leaves nothing.
TEST_F(FolderTarget, AFailedWriteLeavesNoFileBehind) {
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 4096;
    sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Status printed = Printer("folder:" + folder_.string())->Print(Label(64 << 10), "ZQ000001");
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);

    ASSERT_FALSE(printed);
    EXPECT_NE(printed.Err().message.find("cannot write a label in " + folder_.string()),
              std::string::npos)
        << printed.Err().message;
    EXPECT_EQ(Names(folder_), std::vector<std::string>{});
}

// A listener on a loopback port of its own; 0 when none could be made.
class Listener {
public:
    explicit Listener(int receiveBuffer = 0) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        if (receiveBuffer > 0) {
            setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(fd_, 4) == 0 &&
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~Listener() { Close(); }
    void Close() {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = -1;
    }
    int Port() const { return port_; }
    // Takes one connection and reads it to its end.
    std::string Receive() {
        int connection = accept(fd_, nullptr, nullptr);
        std::string bytes;
        char buffer[65536];
        for (ssize_t got; (got = read(connection, buffer, sizeof buffer)) > 0;) {
            bytes.append(buffer, static_cast<size_t>(got));
        }
        close(connection);
        return bytes;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

TEST(TcpTarget, TheListenerReceivesTheLabelExactly) {
    Listener listener;
    ASSERT_NE(listener.Port(), 0);
    std::string received;
    std::thread reader([&] { received = listener.Receive(); });
    const std::string label = Label(3 << 20);
    Status printed =
        Printer("tcp:127.0.0.1:" + std::to_string(listener.Port()))->Print(label, "ZQ000001");
    reader.join();
    EXPECT_TRUE(printed) << printed.Err().message;
    EXPECT_EQ(received.size(), label.size());
    EXPECT_TRUE(received == label);
}

TEST(TcpTarget, APrinterThatIsOffIsRefusedAndOneThatNeverReadsTimesOutWithinTheBound) {
    Listener off;
    const int port = off.Port();
    ASSERT_NE(port, 0);
    off.Close();
    Status refused = Printer("tcp:127.0.0.1:" + std::to_string(port))->Print("^XA^XZ", "x");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Err().message,
              "the printer at 127.0.0.1:" + std::to_string(port) + " refused the connection");

    // It takes the connection, and a little of the label into its buffers, then nothing more.
    Listener jammed(4096);
    ASSERT_NE(jammed.Port(), 0);
    std::unique_ptr<LabelPrinter> printer =
        Printer("tcp:localhost:" + std::to_string(jammed.Port()), 1000ms);
    const std::string label = Label(16 << 20);  // more than the system's buffers hold
    auto start = std::chrono::steady_clock::now();
    Status stalled = printer->Print(label, "x");
    auto took = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(stalled);
    EXPECT_NE(stalled.Err().message.find("timed out: the printer at localhost:" +
                                         std::to_string(jammed.Port()) + " took "),
              std::string::npos)
        << stalled.Err().message;
    EXPECT_NE(stalled.Err().message.find(" bytes of the label within 1 s"), std::string::npos);
    // Bounded, not fast: a generous margin so a loaded machine cannot fail it, while a send with
    // no bound would never return at all.
    EXPECT_LT(took, 10s);
}

TEST(TcpTarget, LabelsQueuedForAPrinterThatHangsEachWaitABoundNotOnePerLabelAhead) {
    Listener jammed(4096);
    ASSERT_NE(jammed.Port(), 0);
    std::unique_ptr<LabelPrinter> printer =
        Printer("tcp:127.0.0.1:" + std::to_string(jammed.Port()), 1000ms);
    const std::string label = Label(16 << 20);
    // Six ports' boards end at once: queued one behind another, the last would wait six bounds.
    std::vector<std::thread> ports;
    std::vector<std::chrono::steady_clock::duration> took(6);
    std::vector<std::string> why(6);
    for (size_t i = 0; i < took.size(); i++) {
        ports.emplace_back([&, i] {
            auto start = std::chrono::steady_clock::now();
            Status printed = printer->Print(label, "x");
            took[i] = std::chrono::steady_clock::now() - start;
            why[i] = printed ? "printed" : printed.Err().message;
        });
    }
    for (std::thread& port : ports) {
        port.join();
    }
    for (size_t i = 0; i < took.size(); i++) {
        EXPECT_EQ(why[i].rfind("timed out: the printer at 127.0.0.1:", 0), 0u) << why[i];
        EXPECT_LT(took[i], 5s) << why[i];
    }
}

}  // namespace
