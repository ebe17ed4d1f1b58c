#include "remote_controls.h"

#include "resource.h"

#include <string>

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs) {
            return condition();
        }
        Sleep(20);
    }
    return true;
}

namespace {

// A program that has crashed or hung (stopped in the debugger, say) never answers a sent
// message: every message to it is bounded, so a broken run fails its checks instead of hanging.
constexpr UINT kAnswerTimeoutMs = 10000;

LRESULT SendBoundedA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

LRESULT SendBoundedW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

}  // namespace

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    SendBoundedW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

void SetTextW(HWND window, const wchar_t* text) {
    SendBoundedW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void SetText(HWND window, const char* text) {
    SendBoundedA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return "";
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

bool IsChecked(HWND button) {
    return SendBoundedA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND button) {
    SendBoundedA(button, BM_CLICK, 0, 0);
}

void PostClick(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

bool SendClick(HWND button, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

std::vector<std::wstring> PortEntries(HWND combo) {
    std::vector<std::wstring> entries;
    LRESULT count = SendBoundedW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        wchar_t text[64] = {};
        if (SendBoundedW(combo, CB_GETLBTEXTLEN, i, 0) < 64) {
            SendBoundedW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        }
        entries.push_back(text);
    }
    return entries;
}

int Selection(HWND combo) {
    return static_cast<int>(SendBoundedW(combo, CB_GETCURSEL, 0, 0));
}

void SelectPort(HWND combo, int index) {
    SendBoundedW(combo, CB_SETCURSEL, index, 0);
}

namespace {

struct ChildScan {
    int buttons;
    bool icon;
};

BOOL CALLBACK ScanChild(HWND child, LPARAM param) {
    auto* scan = reinterpret_cast<ChildScan*>(param);
    if (!IsWindowVisible(child)) {
        return TRUE;
    }
    char className[16] = {};
    GetClassNameA(child, className, sizeof(className));
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0) {
        scan->buttons++;
    } else if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
               SendBoundedA(child, STM_GETICON, 0, 0) != 0) {
        // A message box without an icon may keep an empty icon static.
        scan->icon = true;
    }
    return TRUE;
}

ChildScan Scan(HWND dialog) {
    ChildScan scan = {0, false};
    EnumChildWindows(dialog, ScanChild, reinterpret_cast<LPARAM>(&scan));
    return scan;
}

}  // namespace

std::wstring ButtonText(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr && IsWindowVisible(button) ? TextOf(button) : L"";
}

int VisibleButtonCount(HWND dialog) {
    return Scan(dialog).buttons;
}

bool HasVisibleIcon(HWND dialog) {
    return Scan(dialog).icon;
}

std::wstring MessageBoxText(HWND box) {
    return TextOf(GetDlgItem(box, 0xFFFF));
}

void PrintTo(const FormState& form, std::ostream* out) {
    *out << '"' << Utf8(form.vendorId) << "\" \"" << Utf8(form.productId) << "\" serial "
         << form.serialBox << " \"" << Utf8(form.serial) << "\" product " << form.productBox
         << " \"" << Utf8(form.product) << "\" lock " << form.lockBox;
}

FormState FormOf(HWND dialog) {
    return {TextOf(GetDlgItem(dialog, IDC_VID)),
            TextOf(GetDlgItem(dialog, IDC_PID)),
            TextOf(GetDlgItem(dialog, IDC_SERIAL)),
            TextOf(GetDlgItem(dialog, IDC_PRODUCT)),
            IsChecked(GetDlgItem(dialog, IDC_SERIAL_ENABLE)),
            IsChecked(GetDlgItem(dialog, IDC_PRODUCT_ENABLE)),
            IsChecked(GetDlgItem(dialog, IDC_WRITE_PROTECT))};
}

FormState DefaultForm(bool lockBox) {
    return {L"2E1B", L"6C04", L"", L"usb2.0 serial", false, true, lockBox};
}
