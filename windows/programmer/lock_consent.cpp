#include "lock_consent.h"

#include <windows.h>

#include "command_failure.h"
#include "console_output.h"
#include "exit_codes.h"

namespace {

bool InputIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace

void RequireLockConsentPossible(bool lock, bool yes) {
    if (lock && !yes && !InputIsConsole()) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "--lock: refused: input is not a console to confirm it on; add --yes"};
    }
}

void AskLockConsent(const std::string& chips, const std::string& identity) {
    WriteText(Stream::Err, "Lock " + chips + " for ever with " + identity +
                               "?\nIts configuration can never be changed again. [y/N] ");
    wchar_t answer[16] = {};
    DWORD read = 0;
    bool answered = ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), answer, 15, &read, nullptr) != 0;
    std::u16string text(reinterpret_cast<const char16_t*>(answer), answered ? read : 0);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) {
        text.pop_back();
    }
    if (text != u"y" && text != u"Y" && text != u"yes" && text != u"Yes" && text != u"YES") {
        throw CommandFailure{EXIT_BAD_USAGE, "--lock: not confirmed; nothing written"};
    }
}
