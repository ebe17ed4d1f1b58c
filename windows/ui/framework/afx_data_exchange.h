// Data exchange between a dialog and its members. Only control binding is needed: a control
// member is pointed at its window by ID, without subclassing it.
#pragma once

#include "afx_wnd.h"

class CDataExchange {
public:
    explicit CDataExchange(CWnd* dialog) : m_pDlgWnd(dialog) {}

    CWnd* m_pDlgWnd;
};

// Binds control to the dialog's child with the given ID; a missing ID leaves it unbound.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);
