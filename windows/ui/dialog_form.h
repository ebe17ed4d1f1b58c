// The configuration form over the dialog's controls, in the ANSI window-text calls. Safe to use
// from a job's thread: every call is a message to a control, served by the dialog's thread.
#pragma once

#include <windows.h>

#include "config_form.h"

class DialogForm : public ConfigForm {
public:
    explicit DialogForm(HWND dialog) : dialog(dialog) {}
    void GetText(FormText which, char* buffer, int bufferSize) override;
    void SetText(FormText which, const char* text) override;
    int IsChecked(FormBox which) override;
    void SetChecked(FormBox which, int checked) override;

private:
    HWND dialog;
};
