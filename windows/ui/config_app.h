// The application: it runs the configuration dialog and ends when the dialog closes.
#pragma once

#include "afx_app.h"

class CConfigApp : public CWinApp {
public:
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
