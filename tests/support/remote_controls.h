// Reading and driving another process's controls with messages that cross processes.
#pragma once

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>

// Polls until the condition holds or the time is up; returns the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The window's text as UTF-16: WM_GETTEXT is marshalled across processes, GetWindowText is not.
std::wstring TextOf(HWND window);
void SetText(HWND window, const char* text);
// UTF-16 text as UTF-8, for messages and reports.
std::string Utf8(const std::wstring& text);

bool IsChecked(HWND button);
// Clicks and waits for the click's handling to finish; only for buttons that open no box.
void Click(HWND button);
// Clicks without waiting: a handler that shows a modal box would block a sent click.
void PostClick(HWND button);

// The visible buttons of a dialog, by text; "" when none has the ID.
std::wstring ButtonText(HWND dialog, int id);
int VisibleButtonCount(HWND dialog);
bool HasVisibleIcon(HWND dialog);  // a visible icon static that holds an icon
// A message box's text (its static with ID 0xFFFF).
std::wstring MessageBoxText(HWND box);

// The configuration form as the user sees it.
struct FormState {
    std::wstring vendorId, productId, serial, product;
    bool serialBox, productBox, lockBox;
    bool operator==(const FormState&) const = default;
};
void PrintTo(const FormState& form, std::ostream* out);
FormState FormOf(HWND dialog);
// The form after start-up or Restore Default Setting; the write-protect box is left as it was.
FormState DefaultForm(bool lockBox);
