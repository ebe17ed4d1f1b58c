// Labels from the real zq61prog.exe against the simulated chips and a loopback printer of the
// test's own: one label per verified board, after its record, none for a failed board; a printer
// that is down costs the labels, never a board; a reprint is on record. Every label received is
// saved with what its barcode must read (the serial the record names, or the product), for
// tests/label_render/read_sent_labels.sh to draw and read back.
#include <winsock2.h>

#include <fstream>

#include "log_csv.h"
#include "loopback_printer.h"
#include "prog_harness.h"
#include "scoped_win.h"

namespace {

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// A port nothing listens on: a printer that is off.
std::wstring PrinterDown() {
    win32::ScopedWinsock winsock;
    win32::ScopedSocket probe(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    bind(probe.Get(), reinterpret_cast<sockaddr*>(&address), size);
    getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &size);
    return L"tcp:127.0.0.1:" + std::to_wstring(ntohs(address.sin_port));
}

class Labels : public ProgTest {
protected:
    void SetUp() override {
        ProgTest::SetUp();
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        logPath = std::wstring(folder) + L"zq61prog-label-test.csv";
        DeleteFileW(logPath.c_str());
    }
    std::vector<std::wstring> Batch(const wchar_t* count, const std::wstring& label,
                                    const std::wstring& printer) {
        return {L"batch", L"--serial-from", L"ZQ000001", L"--log",     logPath, L"--count",
                count,    L"--label",       label,       L"--printer", printer};
    }
    // "serial outcome status" of every record, in order.
    std::vector<std::string> Records() {
        std::vector<std::string> rows;
        Result<LogContents> contents = DecodeLog(ReadWhole(logPath));
        for (const LedgerEntry& entry : contents ? contents->entries : std::vector<LedgerEntry>()) {
            if (entry.outcome != BatchOutcome::Started) {
                rows.push_back(entry.serial + " " + OutcomeWord(entry.outcome) + " " +
                               entry.status);
            }
        }
        return rows;
    }
    bool LogHas(const std::string& text) {
        for (DWORD waited = 0; waited < 10000; waited += 50) {
            for (const std::string& row : Records()) {
                if (row.find(text) != std::string::npos) {
                    return true;
                }
            }
            Sleep(50);
        }
        return false;
    }
    // Kept for the renderer: the label, and what its barcode must read.
    static void Save(const std::string& name, const std::string& label,
                     const std::string& barcode) {
        CreateDirectoryA(ZQ_SENT_LABELS_DIR, nullptr);
        std::ofstream(std::string(ZQ_SENT_LABELS_DIR "/") + name + ".zpl", std::ios::binary)
            << label;
        std::ofstream(std::string(ZQ_SENT_LABELS_DIR "/") + name + ".barcode", std::ios::binary)
            << barcode;
    }

    std::wstring logPath;
    const std::wstring defaultLabel = L"" ZQ_DEFAULT_LABEL_W;
    const std::wstring productLabel = L"" ZQ_PRODUCT_LABEL_W;
};

TEST_F(Labels, AVerifiedBoardGetsOneLabelAfterItsRecordAndAFailedBoardNone) {
    LoopbackPrinter printer;
    ASSERT_TRUE(sim.Remove(kChipA));
    ASSERT_TRUE(sim.MuteAfter(kChipB, 52 + 20));  // fails half-way through its write
    ProgProcess batch(Batch(L"1", defaultLabel, Wide(printer.Target())));
    ASSERT_TRUE(LogHas("ZQ000001 failed"));
    ASSERT_TRUE(sim.Restore(kChipA));
    ProgResult result = batch.Wait();
    EXPECT_EQ(result.exitCode, 3u) << "the failed board keeps its code\n" << result.err;
    const std::vector<std::string> records = Records();
    ASSERT_EQ(records.size(), 3u) << result.out;
    EXPECT_EQ(records[0].substr(0, 16), "ZQ000001 failed ");
    EXPECT_EQ(records[1], "ZQ000002 verified 写入成功");
    EXPECT_EQ(records[2], "ZQ000002 labelled " + printer.Target());
    std::vector<std::string> labels = printer.Labels();
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_NE(labels[0].find("^FDZQ000002^FS"), std::string::npos) << labels[0];
    Save("default-ZQ000002", labels[0], "ZQ000002");

    // The failed board's serial is refused a reprint, naming what the record says.
    ProgResult refused =
        RunProg({L"label", L"--serial", L"ZQ000001", L"--log", logPath, L"--reason", L"lost",
                 L"--printer", Wide(printer.Target()), L"--label", defaultLabel});
    EXPECT_EQ(refused.exitCode, 7u);
    EXPECT_NE(refused.err.find("the record's last outcome for ZQ000001 is failed, not verified"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(printer.Labels().size(), 1u);
}

TEST_F(Labels, APrinterThatIsDownCostsTheLabelsNeverABoard) {
    const std::wstring down = PrinterDown();
    ProgResult missing = RunProg(Batch(L"2", L"Z:/nowhere/label.zpl", down));
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_NE(missing.err.find("--label: label template Z:/nowhere/label.zpl: cannot be read"),
              std::string::npos)
        << missing.err;
    EXPECT_EQ(Opens(), 0u) << "refused before any port is opened";

    ProgResult result = RunProg(Batch(L"2", defaultLabel, down));
    EXPECT_EQ(result.exitCode, 8u) << result.err;
    std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 3u) << result.out;
    for (int i = 0; i < 2; i++) {
        EXPECT_NE(lines[i].find("verified"), std::string::npos) << lines[i];
        EXPECT_NE(lines[i].find("; label not printed: reprint (the printer at 127.0.0.1:"),
                  std::string::npos)
            << lines[i];
    }
    EXPECT_NE(lines[2].find(", labelled 0, label-failed 2"), std::string::npos) << lines[2];
    int verified = 0, failed = 0;
    for (const std::string& row : Records()) {
        verified += row.find(" verified ") != std::string::npos ? 1 : 0;
        failed += row.find(" label-failed the printer at 127.0.0.1:") != std::string::npos &&
                          row.find(" refused the connection") != std::string::npos
                      ? 1
                      : 0;
    }
    EXPECT_EQ(verified, 2) << "every board still on record";
    EXPECT_EQ(failed, 2);
}

TEST_F(Labels, AReprintIsPrintedAndOnRecordAndAProductWithCaretsAndTildesStaysExact) {
    LoopbackPrinter printer;
    ASSERT_TRUE(sim.Remove(kChipB));
    const std::string product = "p^q~r_s^XZ~JR";
    std::vector<std::wstring> args = Batch(L"1", productLabel, Wide(printer.Target()));
    args.insert(args.end(), {L"--product", L"p^q~r_s^XZ~JR"});
    ProgResult result = RunProg(args);
    ASSERT_EQ(result.exitCode, 0u) << result.err;

    ProgResult reprint = RunProg({L"label", L"--serial", L"ZQ000001", L"--log", logPath,
                                  L"--reason", L"label torn", L"--station", L"bench-3",
                                  L"--printer", Wide(printer.Target()), L"--label", productLabel});
    EXPECT_EQ(reprint.exitCode, 0u) << reprint.err;
    EXPECT_EQ(Records().back(), "ZQ000001 label-reprinted label torn (station bench-3)");
    Result<LogContents> log = DecodeLog(ReadWhole(logPath));
    ASSERT_TRUE(log);
    EXPECT_EQ(log->entries.back().time.size(), 24u) << "stamped as every record is";
    std::vector<std::string> labels = printer.Labels();
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[1], labels[0]) << "the reprint is the board's label as it was";
    const std::wstring preview = logPath + L".zpl";
    ProgResult previewed = RunProg({L"label", L"--serial", L"ZQ000001", L"--log", logPath,
                                    L"--preview", preview, L"--label", productLabel});
    EXPECT_EQ(previewed.exitCode, 0u) << previewed.err;
    EXPECT_EQ(ReadWhole(preview), labels[0]) << "the label the record's values give";
    EXPECT_EQ(printer.Labels().size(), 2u) << "a preview prints nothing";
    Save("product-batch", labels[0], product);
    Save("product-reprint", labels[1], product);

    ProgResult unknown = RunProg({L"label", L"--serial", L"ZQ000099", L"--log", logPath,
                                  L"--reason", L"x", L"--printer", Wide(printer.Target())});
    EXPECT_EQ(unknown.exitCode, 7u);
    EXPECT_NE(unknown.err.find("the record holds no serial ZQ000099"), std::string::npos)
        << unknown.err;
}

}  // namespace
