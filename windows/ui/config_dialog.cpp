#include "config_dialog.h"

#include "about_dialog.h"
#include "afx_app.h"
#include "ansi_wide_text.h"
#include "combo_port_list.h"
#include "dialog_form.h"
#include "form_values.h"
#include "port_discovery.h"
#include "resource.h"
#include "serial_port.h"
#include "win_code_page.h"
#include "write_questions.h"

BEGIN_MESSAGE_MAP(CConfigDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_READ_CONFIG, &CConfigDialog::OnReadConfig)
ON_BN_CLICKED(IDC_WRITE_CONFIG, &CConfigDialog::OnWriteConfig)
ON_BN_CLICKED(IDC_RESTORE_DEFAULTS, &CConfigDialog::OnRestoreDefaults)
ON_WM_DEVICECHANGE()
ON_BN_CLICKED(IDC_WRITE_PROTECT, &CConfigDialog::OnWriteProtect)
ON_MESSAGE(WM_JOB_DONE, &CConfigDialog::OnJobDone)
END_MESSAGE_MAP()

CConfigDialog::CConfigDialog(CWnd* parent)
    : CDialog(IDD_CONFIG, parent),
      appIcon(LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_APP))) {}

CConfigDialog::~CConfigDialog() {
    // The dialog only ends once its job has; this is the last line of defence, not the rule.
    if (jobThread) {
        WaitForSingleObject(jobThread.Get(), INFINITE);
    }
}

void CConfigDialog::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PORT, portList);
    DDX_Control(exchange, IDC_VID, vendorIdEdit);
    DDX_Control(exchange, IDC_SERIAL, serialEdit);
    DDX_Control(exchange, IDC_PRODUCT, productEdit);
    DDX_Control(exchange, IDC_PID, productIdEdit);
}

BOOL CConfigDialog::OnInitDialog() {
    CDialog::OnInitDialog();

    HMENU systemMenu = GetSystemMenu(FALSE);
    if (systemMenu != nullptr) {
        char aboutText[64] = {};
        LoadStringA(AfxGetInstanceHandle(), IDS_ABOUT_MENU, aboutText, sizeof(aboutText));
        if (aboutText[0] != '\0') {
            AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(systemMenu, MF_STRING, IDM_ABOUT, aboutText);
        }
    }

    SetIcon(appIcon, TRUE);
    SetIcon(appIcon, FALSE);

    vendorIdEdit.LimitText(VENDOR_ID_CHARS);
    productIdEdit.LimitText(PRODUCT_ID_CHARS);
    serialEdit.LimitText(SERIAL_CHARS);
    productEdit.LimitText(PRODUCT_CHARS);

    ComboPortList ports(portList);
    EnumeratePorts(ports);
    DialogForm form(m_hWnd);
    FillDefaults(form);
    return TRUE;
}

void CConfigDialog::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUT) {
        CAboutDialog about;
        about.DoModal();
    } else {
        CDialog::OnSysCommand(id, lParam);
    }
}

void CConfigDialog::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, appIcon);
    EndPaint(m_hWnd, &paint);
}

HCURSOR CConfigDialog::OnQueryDragIcon() {
    return static_cast<HCURSOR>(appIcon);
}

void CConfigDialog::OnReadConfig() {
    // A click message can reach a disabled button: any program can send one.
    if (!actionGate.TryBegin()) {
        return;
    }
    if (OpenPortForAction()) {
        StartJob(ReadJob);
    }
}

void CConfigDialog::OnWriteConfig() {
    // The gate stays closed through the questions too: a click that reaches the dialog while a
    // question box is open must not start another job on the port slot and the pending record.
    if (!actionGate.TryBegin()) {
        return;
    }
    DialogForm form(m_hWnd);
    WinCodePage codePage(CP_ACP);
    GatherForm(form, codePage, pendingRecord);
    // A dialog told to end while a question was open writes nothing, whatever the answer.
    if (!ConfirmWrite() || actionGate.EndRequested()) {
        pendingRecord.reset();
        FinishAction();
        return;
    }
    // On failure the gathered record stays pending until the next gather replaces it.
    if (OpenPortForAction()) {
        StartJob(WriteJob);
    }
}

void CConfigDialog::OnRestoreDefaults() {
    DialogForm form(m_hWnd);
    FillDefaults(form);
}

BOOL CConfigDialog::OnDeviceChange(UINT event, DWORD_PTR data) {
    ComboPortList ports(portList);
    HandlePortChange(event, static_cast<LPARAM>(data), ports);
    return FALSE;
}

void CConfigDialog::OnWriteProtect() {
    // Kept in the message map on purpose: the box toggles by itself, and the chip hears of it
    // only at the next Write Config, so a click must do nothing here.
}

void CConfigDialog::OnOK() {
    EndWhenIdle(IDOK);
}

void CConfigDialog::OnCancel() {
    EndWhenIdle(IDCANCEL);
}

// A job reads and writes the dialog's slots and controls until it posts WM_JOB_DONE, so the
// dialog must not end before then; the close is carried out when the job is done.
void CConfigDialog::EndWhenIdle(int result) {
    if (actionGate.RequestEnd(result)) {
        EndDialog(result);
    }
}

void CConfigDialog::StartJob(AFX_THREADPROC job) {
    EnableActions(FALSE);
    jobThread.Reset(AfxBeginThread(job, this));
    if (!jobThread) {
        portHandle.Reset();
        pendingRecord.reset();
        EnableActions(TRUE);
        ShowOpenFailure();
        FinishAction();
    }
}

// Opens the selected port for the action, or says it could not and ends the action.
bool CConfigDialog::OpenPortForAction() {
    ComboPortList ports(portList);
    if (OpenSelectedPort(ports, portHandle)) {
        return true;
    }
    ShowOpenFailure();
    FinishAction();
    return false;
}

// The action is over, with or without a job: carry out an end asked for meanwhile.
void CConfigDialog::FinishAction() {
    int endResult = IDCANCEL;
    if (actionGate.Finish(endResult)) {
        EndDialog(endResult);
    }
}

LRESULT CConfigDialog::OnJobDone(WPARAM, LPARAM) {
    if (jobThread) {
        // The job has posted its last word; this only waits for its thread to return.
        WaitForSingleObject(jobThread.Get(), INFINITE);
        jobThread.Reset();
    }
    EnableActions(TRUE);
    FinishAction();
    return 0;
}

// One action at a time: the port slot and the pending record belong to the running job.
void CConfigDialog::EnableActions(BOOL enable) {
    const int actions[] = {IDC_READ_CONFIG, IDC_WRITE_CONFIG, IDC_PORT};
    HWND focus = GetFocus();
    bool focusDisabled = false;
    for (int id : actions) {
        HWND control = GetDlgItem(id);
        ::EnableWindow(control, enable);
        focusDisabled = focusDisabled || (!enable && control == focus);
    }
    if (focusDisabled) {
        // Keyboard focus on a disabled button would leave the keyboard dead.
        SendMessage(WM_NEXTDLGCTL, 0, FALSE);
    }
}

bool CConfigDialog::ConfirmWrite() {
    DialogForm form(m_hWnd);
    // Whole texts, not the four characters gathering looks at: "2E1B5" must not pass as 2E1B.
    char vendorId[64];
    char productId[64];
    form.GetText(FormText::VendorId, vendorId, sizeof(vendorId));
    form.GetText(FormText::ProductId, productId, sizeof(productId));
    std::wstring idQuestion = IdQuestion(vendorId, productId, *pendingRecord);
    if (!idQuestion.empty() && !AskYesNo(idQuestion)) {
        return false;
    }
    if (pendingRecord->writeProtected && !AskYesNo(LockQuestion(*pendingRecord))) {
        return false;
    }
    return true;
}

bool CConfigDialog::AskYesNo(const std::wstring& question) {
    return MessageBoxW(m_hWnd, question.c_str(), WidenAnsi(AfxGetAppName()).c_str(),
                       MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) == IDYES;
}

void CConfigDialog::ShowOpenFailure() {
    MessageBoxW(m_hWnd, L"打开串口失败", WidenAnsi(AfxGetAppName()).c_str(), MB_OK);
}
