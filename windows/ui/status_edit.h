// The status line: the job outcomes are UTF-16, so they go in through the wide call.
#pragma once

#include <windows.h>

#include "config_jobs.h"

class StatusEdit : public StatusLine {
public:
    explicit StatusEdit(HWND edit) : edit(edit) {}
    void SetStatus(const char16_t* text) override {
        SetWindowTextW(edit, reinterpret_cast<const wchar_t*>(text));
    }

private:
    HWND edit;
};
