// The dialog's form in memory, with GetWindowTextA's truncation.
#pragma once

#include <cstring>
#include <map>
#include <string>

#include "config_form.h"

class MemoryForm : public ConfigForm {
public:
    std::map<FormText, std::string> texts;
    std::map<FormBox, int> boxes;

    void GetText(FormText which, char* buffer, int bufferSize) override {
        std::string text = texts[which];
        size_t n = std::min(text.size(), static_cast<size_t>(bufferSize - 1));
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    void SetText(FormText which, const char* text) override { texts[which] = text; }
    int IsChecked(FormBox which) override { return boxes[which]; }
    void SetChecked(FormBox which, int checked) override { boxes[which] = checked; }
};
