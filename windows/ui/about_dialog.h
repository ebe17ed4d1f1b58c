// The About box: everything it shows is in its template.
#pragma once

#include "afx_dialog.h"
#include "resource.h"

class CAboutDialog : public CDialog {
public:
    CAboutDialog() : CDialog(IDD_ABOUT) {}
};
