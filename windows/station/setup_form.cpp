#include "setup_form.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "command_failure.h"
#include "station_boxes.h"
#include "station_events.h"
#include "station_ids.h"
#include "station_options.h"
#include "station_text_ids.h"
#include "system_library.h"
#include "ui_texts.h"
#include "window_text.h"
#include "window_thunk.h"
#include "windows_error_text.h"

namespace {

struct FormState {
    SetupValues& values;
    RunStart& start;
    INT_PTR DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

std::wstring FieldText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

// Each control's text from the string table.
constexpr std::pair<int, int> kFormTexts[] = {
    {IDC_SETUP_LABEL_SERIALS, IDS_SETUP_SERIALS},
    {IDC_SETUP_LABEL_SERIAL_FROM, IDS_SETUP_SERIAL_FROM},
    {IDC_SETUP_LABEL_SERIAL_FORMAT, IDS_SETUP_SERIAL_FORMAT},
    {IDC_SETUP_LABEL_UTC_OFFSET, IDS_SETUP_UTC_OFFSET},
    {IDC_SETUP_LABEL_SERIAL_LIST, IDS_SETUP_SERIAL_LIST},
    {IDC_SETUP_LABEL_LOG, IDS_SETUP_LOG},
    {IDC_SETUP_BROWSE, IDS_SETUP_BROWSE},
    {IDC_SETUP_LABEL_COUNT, IDS_SETUP_COUNT},
    {IDC_SETUP_LABEL_VID, IDS_SETUP_VID},
    {IDC_SETUP_LABEL_PID, IDS_SETUP_PID},
    {IDC_SETUP_LABEL_PRODUCT, IDS_SETUP_PRODUCT},
    {IDC_SETUP_LOCK, IDS_SETUP_LOCK},
    {IDOK, IDS_SETUP_START},
    {IDCANCEL, IDS_SETUP_CANCEL},
};

// The form's words in the operator's language. The form keeps the template's face, the shell's
// dialog font, whose size its layout is measured in; Windows links it to its Chinese font.
void SayForm(HWND dialog) {
    SetText(dialog, Say(IDS_SETUP_CAPTION));
    for (auto [control, text] : kFormTexts) {
        SetText(GetDlgItem(dialog, control), Say(text));
    }
}

void Fill(HWND dialog, const SetupValues& values) {
    SetDlgItemTextW(dialog, IDC_SETUP_SERIAL_FROM, values.serialFrom.c_str());
    SetDlgItemTextW(dialog, IDC_SETUP_SERIAL_FORMAT, values.serialFormat.c_str());
    SetDlgItemTextW(dialog, IDC_SETUP_UTC_OFFSET, values.utcOffset.c_str());
    SetDlgItemTextW(dialog, IDC_SETUP_SERIAL_LIST, values.serialList.c_str());
    SetDlgItemTextW(dialog, IDC_SETUP_LOG, values.log.c_str());
    SetDlgItemTextW(dialog, IDC_SETUP_COUNT, values.count.c_str());
    SetDlgItemTextW(dialog, IDC_SETUP_VID, values.vid.c_str());
    SetDlgItemTextW(dialog, IDC_SETUP_PID, values.pid.c_str());
    SetDlgItemTextW(dialog, IDC_SETUP_PRODUCT, values.product.c_str());
    CheckDlgButton(dialog, IDC_SETUP_LOCK, values.lock ? BST_CHECKED : BST_UNCHECKED);
}

SetupValues Gather(HWND dialog) {
    SetupValues values;
    values.serialFrom = FieldText(dialog, IDC_SETUP_SERIAL_FROM);
    values.serialFormat = FieldText(dialog, IDC_SETUP_SERIAL_FORMAT);
    values.utcOffset = FieldText(dialog, IDC_SETUP_UTC_OFFSET);
    values.serialList = FieldText(dialog, IDC_SETUP_SERIAL_LIST);
    values.log = FieldText(dialog, IDC_SETUP_LOG);
    values.count = FieldText(dialog, IDC_SETUP_COUNT);
    values.vid = FieldText(dialog, IDC_SETUP_VID);
    values.pid = FieldText(dialog, IDC_SETUP_PID);
    values.product = FieldText(dialog, IDC_SETUP_PRODUCT);
    values.lock = IsDlgButtonChecked(dialog, IDC_SETUP_LOCK) == BST_CHECKED;
    return values;
}

void Browse(HWND dialog) {
    wchar_t path[MAX_PATH] = {};
    std::wstring typed = FieldText(dialog, IDC_SETUP_LOG);
    lstrcpynW(path, typed.c_str(), MAX_PATH);
    OPENFILENAMEW choice = {};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = dialog;
    // The table's filter separates its parts with |, which no file pattern holds.
    std::wstring filter = WideFromUtf8(Say(IDS_SETUP_LOG_FILTER));
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    std::wstring title = WideFromUtf8(Say(IDS_SETUP_LOG_TITLE));
    choice.lpstrFilter = filter.c_str();
    choice.lpstrFile = path;
    choice.nMaxFile = MAX_PATH;
    choice.lpstrDefExt = L"csv";
    choice.lpstrTitle = title.c_str();
    // A log is appended to, never replaced: no overwrite question.
    choice.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // The common dialogs are loaded for this alone: imported, they would bring the print spooler
    // into every start of the station.
    win32::ScopedModule dialogs = win32::LoadSystemLibrary(L"comdlg32.dll");
    decltype(&::GetSaveFileNameW) saveFileName = nullptr;
    if (!dialogs || !win32::ResolveFunction(dialogs.Get(), "GetSaveFileNameW", saveFileName)) {
        ShowRefusal(dialog, "could not load comdlg32.dll: " + WindowsErrorText(GetLastError()));
        return;
    }
    if (saveFileName(&choice)) {
        SetDlgItemTextW(dialog, IDC_SETUP_LOG, path);
    }
}

// Starts the batch from the form's values; a refusal is shown and the form stays.
bool TryStart(HWND dialog, FormState& state) {
    state.values = Gather(dialog);
    try {
        StationCommand command = ParseStationCommand(SetupArguments(state.values));
        state.start = StartBatch(command.options, TellLedgerConnection);
        return true;
    } catch (const CommandFailure& failure) {
        ShowRefusal(dialog, failure.message);
        return false;
    }
}

INT_PTR FormState::DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SayForm(dialog);
            Fill(dialog, values);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    if (TryStart(dialog, *this)) {
                        EndDialog(dialog, IDOK);
                    }
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case IDC_SETUP_BROWSE:
                    Browse(dialog);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

SetupValues DefaultSetupValues() {
    CLI::App parser;
    BatchOptions options;
    AddBatchOptions(parser, options);
    SetupValues values;
    values.vid = WideFromUtf8(options.identity.vid);
    values.pid = WideFromUtf8(options.identity.pid);
    values.product = WideFromUtf8(options.identity.product);
    values.lock = options.identity.lock;
    return values;
}

std::vector<std::string> SetupArguments(const SetupValues& values) {
    std::vector<std::string> args = {"zq61station"};
    auto optional = [&](const char* option, const std::wstring& value) {
        if (!value.empty()) {
            args.push_back(option);
            args.push_back(Utf8FromWide(value));
        }
    };
    optional("--serial-from", values.serialFrom);
    optional("--serial-format", values.serialFormat);
    optional("--utc-offset", values.utcOffset);
    optional("--serial-list", values.serialList);
    optional("--log", values.log);
    optional("--count", values.count);
    for (auto [option, value] : {std::pair{"--vid", &values.vid}, std::pair{"--pid", &values.pid},
                                 std::pair{"--product", &values.product}}) {
        args.push_back(option);
        args.push_back(Utf8FromWide(*value));
    }
    if (values.lock) {
        args.push_back("--lock");
    }
    return args;
}

bool RunSetupForm(SetupValues& values, RunStart& start) {
    FormState state{values, start};
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETUP), nullptr,
                           win32::DialogThunk<FormState>, reinterpret_cast<LPARAM>(&state)) == IDOK;
}
