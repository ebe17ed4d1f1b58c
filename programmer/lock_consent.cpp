#include "lock_consent.h"

#include <windows.h>

#include "console_output.h"
#include "identity_text.h"
#include "utf_text.h"

bool InputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool AskLockConsent(const std::string& port, const ChipIdentity& identity) {
    WriteText(Stream::Err, "Lock the chip on " + port + " for ever with " +
                               DescribeIdentity(identity) +
                               "?\nIts configuration can never be changed again. [y/N] ");
    wchar_t answer[16] = {};
    DWORD read = 0;
    if (!ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), answer, 15, &read, nullptr)) {
        return false;
    }
    std::u16string text(reinterpret_cast<const char16_t*>(answer), read);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) {
        text.pop_back();
    }
    return text == u"y" || text == u"Y" || text == u"yes" || text == u"Yes" || text == u"YES";
}
