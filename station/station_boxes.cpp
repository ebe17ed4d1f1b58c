#include "station_boxes.h"

#include "window_text.h"

void ShowRefusal(HWND owner, const std::string& message) {
    MessageBoxW(owner, WideFromUtf8(message).c_str(), L"zq61station", MB_OK | MB_ICONERROR);
}

void ShowNotice(const std::string& text) {
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"zq61station", MB_OK | MB_ICONINFORMATION);
}

bool AskLockConsent(HWND owner, const std::string& identity) {
    std::string question = "Lock every chip of this batch for ever with " + identity +
                           "?\n\nIts configuration can never be changed again.";
    // No is the default: the one irreversible step is never taken by an Enter key.
    return MessageBoxW(owner, WideFromUtf8(question).c_str(), L"zq61station: lock",
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}
