// The dialog's form as the configuration core sees it: texts in the system's ANSI code page and
// check boxes. The dialog implements it over its controls; tests implement it in memory.
#pragma once

enum class FormText { VendorId, ProductId, Serial, Product };
enum class FormBox { WriteProtect, SerialEnabled, ProductEnabled };

class ConfigForm {
public:
    virtual ~ConfigForm() = default;
    // Copies at most bufferSize - 1 bytes of the text into buffer and terminates it, as
    // GetWindowTextA does.
    virtual void GetText(FormText which, char* buffer, int bufferSize) = 0;
    virtual void SetText(FormText which, const char* text) = 0;
    // 1 when the box is checked.
    virtual int IsChecked(FormBox which) = 0;
    virtual void SetChecked(FormBox which, int checked) = 0;
};
