#include <algorithm>

#include "queue_printer.h"
#include "scoped_win.h"
#include "wide_text.h"
#include "windows_error_text.h"

Status QueuePrinter::Print(std::string_view label, const std::string& name) {
    std::wstring queue = WideFromUtf8(queue_);
    HANDLE opened = nullptr;
    if (!OpenPrinterW(queue.data(), &opened, nullptr)) {
        DWORD error = GetLastError();
        if (error == ERROR_INVALID_PRINTER_NAME) {
            return Fail("the printer queue \"" + queue_ + "\" is unknown");
        }
        return Fail("cannot open the printer queue \"" + queue_ + "\": " + WindowsErrorText(error));
    }
    win32::ScopedPrinter printer(opened);

    std::wstring document = L"label " + WideFromUtf8(name);
    wchar_t raw[] = L"RAW";
    DOC_INFO_1W info{document.data(), nullptr, raw};
    win32::ScopedPrinterDoc job(printer.Get(), &info);
    if (!job.Started()) {
        return Fail("the printer queue \"" + queue_ +
                    "\" took no job: " + WindowsErrorText(GetLastError()));
    }
    win32::ScopedPrinterPage page(printer.Get());
    size_t written = 0;
    while (page.Started() && written < label.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(label.size() - written, 1 << 20));
        DWORD now = 0;
        if (!WritePrinter(printer.Get(), const_cast<char*>(label.data() + written), chunk, &now) ||
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
