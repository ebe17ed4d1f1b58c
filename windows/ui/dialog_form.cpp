#include "dialog_form.h"

#include "resource.h"

namespace {

int ControlId(FormText which) {
    switch (which) {
        case FormText::VendorId:
            return IDC_VID;
        case FormText::ProductId:
            return IDC_PID;
        case FormText::Serial:
            return IDC_SERIAL;
        case FormText::Product:
            return IDC_PRODUCT;
    }
    return 0;
}

int ControlId(FormBox which) {
    switch (which) {
        case FormBox::WriteProtect:
            return IDC_WRITE_PROTECT;
        case FormBox::SerialEnabled:
            return IDC_SERIAL_ENABLE;
        case FormBox::ProductEnabled:
            return IDC_PRODUCT_ENABLE;
    }
    return 0;
}

}  // namespace

void DialogForm::GetText(FormText which, char* buffer, int bufferSize) {
    if (bufferSize <= 0) {
        return;
    }
    buffer[0] = '\0';
    GetWindowTextA(GetDlgItem(dialog, ControlId(which)), buffer, bufferSize);
}

void DialogForm::SetText(FormText which, const char* text) {
    SetWindowTextA(GetDlgItem(dialog, ControlId(which)), text);
}

int DialogForm::IsChecked(FormBox which) {
    return SendDlgItemMessageA(dialog, ControlId(which), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void DialogForm::SetChecked(FormBox which, int checked) {
    SendDlgItemMessageA(dialog, ControlId(which), BM_SETCHECK,
                        checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
