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

// Runs on the job's thread: after the post the job touches nothing of the dialog.
void CConfigDialog::FinishJob() {
    portHandle.Reset();
    PostMessage(WM_JOB_DONE);
}

UINT ReadJob(LPVOID param) {
    auto& dialog = *static_cast<CConfigDialog*>(param);
    {
        HandlePort port(dialog.portHandle.Get());
        WinCodePage codePage(CP_ACP);
        DialogForm form(dialog.m_hWnd);
        StatusEdit status(dialog.GetDlgItem(IDC_STATUS));
        RunReadJob(port, codePage, form, status);
    }
    dialog.FinishJob();
    return 0;
}

UINT WriteJob(LPVOID param) {
    auto& dialog = *static_cast<CConfigDialog*>(param);
    {
        HandlePort port(dialog.portHandle.Get());
        StatusEdit status(dialog.GetDlgItem(IDC_STATUS));
        RunWriteJob(port, std::move(dialog.pendingRecord), status);
    }
    dialog.FinishJob();
    return 0;
}
