// The Windows printers under the Windows build: a folder through MoveFileExW, raw TCP through
// Winsock against a loopback listener of the test's own, and a queue the spooler does not know.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "label_printer.h"
#include "printer_under_test.h"
#include "scoped_win.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(WindowsFolderTarget, EachLabelIsWholeUnderItsOwnNameAndNoTemporaryFileStays) {
    fs::path folder =
        fs::temp_directory_path() / ("zq_labels_" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::unique_ptr<LabelPrinter> printer = Printer("folder:" + folder.string());
    const std::string big = Label(1 << 20);
    ASSERT_TRUE(printer->Print(big, "ZQ000001"));
    ASSERT_TRUE(printer->Print("^XA^FDtwo^FS^XZ", "ZQ000001"));
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ZQ000001-2.zpl", "ZQ000001.zpl"}));
    std::ifstream first(folder / "ZQ000001.zpl", std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(first), {}) == big);
    first.close();

    Status missing = Printer("folder:" + (folder / "gone").string())->Print("^XA^XZ", "x");
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.Err().message.find("cannot write a label in "), std::string::npos);
    fs::remove_all(folder);
}

// A Winsock listener on a loopback port of its own.
class Listener {
public:
    explicit Listener(int receiveBuffer = 0) : socket_(socket(AF_INET, SOCK_STREAM, 0)) {
        if (receiveBuffer > 0) {
            setsockopt(socket_.Get(), SOL_SOCKET, SO_RCVBUF,
                       reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (bind(socket_.Get(), reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            listen(socket_.Get(), 4) == 0 &&
            getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    void Close() { socket_.Reset(); }
    int Port() const { return port_; }
    std::string Receive() {
        win32::ScopedSocket connection(accept(socket_.Get(), nullptr, nullptr));
        std::string bytes;
        char buffer[65536];
        for (int got; (got = recv(connection.Get(), buffer, sizeof buffer, 0)) > 0;) {
            bytes.append(buffer, static_cast<size_t>(got));
        }
        return bytes;
    }

private:
    win32::ScopedWinsock winsock_;
    win32::ScopedSocket socket_;
    int port_ = 0;
};

TEST(WindowsTcpTarget, TheLabelArrivesExactlyOrThePrinterSaysWhyNotInTime) {
    Listener listener;
    ASSERT_NE(listener.Port(), 0);
    std::string received;
    std::thread reader([&] { received = listener.Receive(); });
    const std::string label = Label(3 << 20);
    const std::string printer = "tcp:127.0.0.1:" + std::to_string(listener.Port());
    Status printed = Printer(printer)->Print(label, "ZQ000001");
    reader.join();
    EXPECT_TRUE(printed) << printed.Err().message;
    EXPECT_TRUE(received == label) << received.size() << " of " << label.size() << " bytes";

    listener.Close();
    Status refused = Printer(printer)->Print("^XA^XZ", "x");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Err().message,
              "the printer at " + printer.substr(4) + " refused the connection");

    Listener jammed(4096);
    const std::string big = Label(16 << 20);
    auto start = std::chrono::steady_clock::now();
    Status stalled =
        Printer("tcp:127.0.0.1:" + std::to_string(jammed.Port()), 1000ms)->Print(big, "x");
    auto took = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(stalled);
    EXPECT_NE(stalled.Err().message.find("timed out: "), std::string::npos)
        << stalled.Err().message;
    // Bounded, not fast: a generous margin so a loaded machine cannot fail it, while a send with
    // no bound would never return at all.
    EXPECT_LT(took, 10s);
}

TEST(WindowsQueueTarget, AQueueTheSpoolerDoesNotKnowIsNamed) {
    Status printed = Printer("queue:No Such Label Printer")->Print("^XA^XZ", "ZQ000001");
    ASSERT_FALSE(printed);
    EXPECT_EQ(printed.Err().message, "the printer queue \"No Such Label Printer\" is unknown");
}

}  // namespace
