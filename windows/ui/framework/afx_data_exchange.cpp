#include "afx_data_exchange.h"

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
    // Always rebind: a dialog run a second time has new child windows.
    control.Attach(exchange->m_pDlgWnd->GetDlgItem(id));
}
