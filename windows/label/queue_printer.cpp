#include <algorithm>

#include "queue_printer.h"
#include "scoped_win.h"
// After windows.h, which scoped_win.h includes first.
#include <winspool.h>
#include "system_library.h"
#include "wide_text.h"
#include "windows_error_text.h"

// Resolved once, when a queue printer is named; the library goes with the table.
struct SpoolerApi {
    win32::ScopedModule library;
    decltype(&::OpenPrinterW) OpenPrinterW = nullptr;
    decltype(&::ClosePrinter) ClosePrinter = nullptr;
    decltype(&::StartDocPrinterW) StartDocPrinterW = nullptr;
    decltype(&::EndDocPrinter) EndDocPrinter = nullptr;
    decltype(&::AbortPrinter) AbortPrinter = nullptr;
    decltype(&::StartPagePrinter) StartPagePrinter = nullptr;
    decltype(&::EndPagePrinter) EndPagePrinter = nullptr;
    decltype(&::WritePrinter) WritePrinter = nullptr;
};

namespace {

Result<std::unique_ptr<const SpoolerApi>> LoadSpooler() {
    auto api = std::make_unique<SpoolerApi>();
    api->library = win32::LoadSystemLibrary(L"winspool.drv");
    if (!api->library) {
        return Fail("could not load winspool.drv: " + WindowsErrorText(GetLastError()));
    }
    std::string missing;
    const auto resolve = [&](const char* name, auto& function) {
        if (!win32::ResolveFunction(api->library.Get(), name, function)) {
            missing = name;
        }
        return missing.empty();
    };
    if (!(resolve("OpenPrinterW", api->OpenPrinterW) &&
          resolve("ClosePrinter", api->ClosePrinter) &&
          resolve("StartDocPrinterW", api->StartDocPrinterW) &&
          resolve("EndDocPrinter", api->EndDocPrinter) &&
          resolve("AbortPrinter", api->AbortPrinter) &&
          resolve("StartPagePrinter", api->StartPagePrinter) &&
          resolve("EndPagePrinter", api->EndPagePrinter) &&
          resolve("WritePrinter", api->WritePrinter))) {
        return Fail("could not load winspool.drv: it has no " + missing);
    }
    return std::unique_ptr<const SpoolerApi>(std::move(api));
}

// A queue opened with OpenPrinterW, closed once.
class OpenQueue {
public:
    OpenQueue(const SpoolerApi& spooler, HANDLE queue) : spooler_(spooler), queue_(queue) {}
    ~OpenQueue() { spooler_.ClosePrinter(queue_); }
    OpenQueue(const OpenQueue&) = delete;
    OpenQueue& operator=(const OpenQueue&) = delete;
    HANDLE Get() const { return queue_; }

private:
    const SpoolerApi& spooler_;
    HANDLE queue_;
};

// A print job on an open queue: started here; unless End() hands it to the spooler whole, it is
// aborted, so that no path leaves half a job to print.
class QueueJob {
public:
    QueueJob(const SpoolerApi& spooler, HANDLE queue, DOC_INFO_1W* doc)
        : spooler_(spooler),
          queue_(queue),
          started_(spooler.StartDocPrinterW(queue, 1, reinterpret_cast<BYTE*>(doc))) {}
    ~QueueJob() {
        if (started_ != 0) {
            spooler_.AbortPrinter(queue_);
        }
    }
    QueueJob(const QueueJob&) = delete;
    QueueJob& operator=(const QueueJob&) = delete;
    bool Started() const { return started_ != 0; }
    BOOL End() {
        started_ = 0;
        return spooler_.EndDocPrinter(queue_);
    }

private:
    const SpoolerApi& spooler_;
    HANDLE queue_;
    DWORD started_;
};

// A page of a job, ended when the scope ends unless End() ended it.
class QueuePage {
public:
    QueuePage(const SpoolerApi& spooler, HANDLE queue)
        : spooler_(spooler), queue_(queue), started_(spooler.StartPagePrinter(queue)) {}
    ~QueuePage() {
        if (started_) {
            spooler_.EndPagePrinter(queue_);
        }
    }
    QueuePage(const QueuePage&) = delete;
    QueuePage& operator=(const QueuePage&) = delete;
    bool Started() const { return started_ != FALSE; }
    BOOL End() {
        started_ = FALSE;
        return spooler_.EndPagePrinter(queue_);
    }

private:
    const SpoolerApi& spooler_;
    HANDLE queue_;
    BOOL started_;
};

}  // namespace

Result<std::unique_ptr<LabelPrinter>> QueuePrinter::Open(std::string queue) {
    Result<std::unique_ptr<const SpoolerApi>> spooler = LoadSpooler();
    if (!spooler) {
        return Fail(spooler.Err());
    }
    return std::unique_ptr<LabelPrinter>(new QueuePrinter(std::move(queue), std::move(*spooler)));
}

QueuePrinter::QueuePrinter(std::string queue, std::unique_ptr<const SpoolerApi> spooler)
    : queue_(std::move(queue)), spooler_(std::move(spooler)) {}

QueuePrinter::~QueuePrinter() = default;

Status QueuePrinter::Print(std::string_view label, const std::string& name) {
    const SpoolerApi& spooler = *spooler_;
    std::wstring queue = WideFromUtf8(queue_);
    HANDLE opened = nullptr;
    if (!spooler.OpenPrinterW(queue.data(), &opened, nullptr)) {
        DWORD error = GetLastError();
        if (error == ERROR_INVALID_PRINTER_NAME) {
            return Fail("the printer queue \"" + queue_ + "\" is unknown");
        }
        return Fail("cannot open the printer queue \"" + queue_ + "\": " + WindowsErrorText(error));
    }
    OpenQueue printer(spooler, opened);

    std::wstring document = L"label " + WideFromUtf8(name);
    wchar_t raw[] = L"RAW";
    DOC_INFO_1W info{document.data(), nullptr, raw};
    QueueJob job(spooler, printer.Get(), &info);
    if (!job.Started()) {
        return Fail("the printer queue \"" + queue_ +
                    "\" took no job: " + WindowsErrorText(GetLastError()));
    }
    QueuePage page(spooler, printer.Get());
    size_t written = 0;
    while (page.Started() && written < label.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(label.size() - written, 1 << 20));
        DWORD now = 0;
        if (!spooler.WritePrinter(printer.Get(), const_cast<char*>(label.data() + written), chunk,
                                  &now) ||
            now == 0) {
            return Fail("the printer queue \"" + queue_ + "\" took " + std::to_string(written) +
                        " of " + std::to_string(label.size()) +
                        " bytes of the label: " + WindowsErrorText(GetLastError()));
        }
        written += now;
    }
    if (!page.Started() || !page.End() || !job.End()) {
        return Fail("the printer queue \"" + queue_ +
                    "\" did not take the label: " + WindowsErrorText(GetLastError()));
    }
    return {};
}
