#include "station_boxes.h"

#include "station_text_ids.h"
#include "ui_texts.h"
#include "window_text.h"

void ShowRefusal(HWND owner, const std::string& message) {
    MessageBoxW(owner, WideFromUtf8(message).c_str(), WideFromUtf8(Say(IDS_BOX_CAPTION)).c_str(),
                MB_OK | MB_ICONERROR);
}

void ShowNotice(const std::string& text) {
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(Say(IDS_BOX_CAPTION)).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

bool AskLockConsent(HWND owner, const std::string& identity) {
    std::string question = Say(IDS_LOCK_QUESTION, {identity});
    // No is the default: the one irreversible step is never taken by an Enter key.
    return MessageBoxW(owner, WideFromUtf8(question).c_str(),
                       WideFromUtf8(Say(IDS_LOCK_CAPTION)).c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}
