// The port list over the dialog's drop-down list.
#pragma once

#include "afx_controls.h"
#include "port_list.h"

class ComboPortList : public PortList {
public:
    explicit ComboPortList(const CComboBox& combo) : combo(combo) {}
    int Count() override { return combo.GetCount(); }
    int Selection() override { return combo.GetCurSel(); }
    int TextLength(int index) override { return combo.GetLBTextLen(index); }
    void Text(int index, char* buffer, int bufferSize) override;
    void Add(const char* name) override { combo.AddString(name); }
    void Delete(int index) override { combo.DeleteString(index); }
    void Select(int index) override { combo.SetCurSel(index); }

private:
    const CComboBox& combo;
};
