// The worker side of Read Config and Write Config. Each job owns the dialog's port (and, for a
// write, its pending record) from its start; it reaches the controls only through messages.
#include "config_dialog.h"

#include <utility>

#include "config_jobs.h"
#include "dialog_form.h"
#include "handle_port.h"
#include "resource.h"
#include "serial_port.h"
#include "status_edit.h"
#include "win_code_page.h"

namespace {

void FinishJob(CConfigDialog& dialog) {
    ClosePort(dialog.portHandle);
    dialog.PostMessage(WM_JOB_DONE);
}

}  // namespace

UINT ReadJob(LPVOID param) {
    auto& dialog = *static_cast<CConfigDialog*>(param);
    {
        HandlePort port(dialog.portHandle);
        WinCodePage codePage(CP_ACP);
        DialogForm form(dialog.m_hWnd);
        StatusEdit status(dialog.GetDlgItem(IDC_STATUS));
        RunReadJob(port, codePage, form, status);
    }
    FinishJob(dialog);
    return 0;
}

UINT WriteJob(LPVOID param) {
    auto& dialog = *static_cast<CConfigDialog*>(param);
    {
        HandlePort port(dialog.portHandle);
        StatusEdit status(dialog.GetDlgItem(IDC_STATUS));
        RunWriteJob(port, std::move(dialog.pendingRecord), status);
    }
    FinishJob(dialog);
    return 0;
}
