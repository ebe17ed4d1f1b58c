// Reading and driving another process's controls with messages that cross processes.
#pragma once

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Polls until the condition holds or the time is up; returns the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The window's text as UTF-16: WM_GETTEXT is marshalled across processes, GetWindowText is not.
std::wstring TextOf(HWND window);
void SetText(HWND window, const char* text);
// WM_SETTEXT from UTF-16, so the tool receives the text in its own code page.
void SetTextW(HWND window, const wchar_t* text);
// UTF-16 text as UTF-8, for messages and reports.
std::string Utf8(const std::wstring& text);

bool IsChecked(HWND button);
// Clicks and waits for the click's handling to finish; only for buttons that open no box.
void Click(HWND button);
// Clicks without waiting: a handler that shows a modal box would block a sent click.
void PostClick(HWND button);
// Sends a click and returns true once its handler has returned; false when the handler is still
// running after the time, as when it shows a message box, so a test never blocks on a box.
bool SendClick(HWND button, DWORD timeoutMs = 3000);

// A port list's entries, top to bottom (CB_GETLBTEXT crosses processes only in the W form), and
// its selection (-1: none).
std::vector<std::wstring> PortEntries(HWND combo);
int Selection(HWND combo);
// CB_SETCURSEL: selects as a user would, minus the notification the tool does not use.
void SelectPort(HWND combo, int index);

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
