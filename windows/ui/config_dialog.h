// The configuration dialog: the port list, the form, the status line and the two actions.
#pragma once

#include <windows.h>

#include <string>

#include "afx_controls.h"
#include "afx_dialog.h"
#include "afx_thread.h"
#include "action_gate.h"
#include "config_record.h"
#include "scoped_win.h"

// Posted by a job's thread once the job has closed the port and touches nothing more.
inline constexpr UINT WM_JOB_DONE = WM_APP + 1;

class CConfigDialog : public CDialog {
public:
    explicit CConfigDialog(CWnd* parent = nullptr);
    ~CConfigDialog() override;

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnReadConfig();
    void OnWriteConfig();
    void OnRestoreDefaults();
    BOOL OnDeviceChange(UINT event, DWORD_PTR data);
    void OnWriteProtect();
    LRESULT OnJobDone(WPARAM, LPARAM);

private:
    // The jobs are the only code outside the dialog that touches its slots: they take over
    // portHandle and pendingRecord for their run and leave both empty.
    friend UINT ReadJob(LPVOID param);
    friend UINT WriteJob(LPVOID param);

    void StartJob(AFX_THREADPROC job);
    void FinishJob();
    bool OpenPortForAction();
    void FinishAction();
    void EnableActions(BOOL enable);
    void EndWhenIdle(int result);
    bool ConfirmWrite();
    bool AskYesNo(const std::wstring& question);
    void ShowOpenFailure();

    win32::AutoCloseHandle portHandle;
    RecordPtr pendingRecord;
    CComboBox portList;
    CEdit vendorIdEdit;
    CEdit serialEdit;
    CEdit productEdit;
    CEdit productIdEdit;
    HICON appIcon;

    ActionGate actionGate;
    win32::AutoCloseHandle jobThread;

    DECLARE_MESSAGE_MAP()
};

// Thread procedures of the two actions; param is the dialog.
UINT ReadJob(LPVOID param);
UINT WriteJob(LPVOID param);
