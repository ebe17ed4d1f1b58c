#include "ui_texts.h"

#include <windows.h>

#include "ui_fonts.h"
#include "wide_text.h"

namespace {

// A string table's text for the language exactly (LoadStringW would take the thread's own
// language): the table's block of sixteen length-counted strings holding id.
std::string ResourceText(Language language, int id) {
    WORD languageId = language == Language::Chinese
                          ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
                          : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), languageId);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* block =
        static_cast<const WCHAR*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (block == nullptr) {
        return "";
    }
    const WCHAR* end = block + SizeofResource(module, found) / sizeof(WCHAR);
    for (int i = 0; i < id % 16 && block < end; i++) {
        block += 1 + *block;
    }
    if (block >= end || block + 1 + *block > end) {
        return "";
    }
    return Utf8FromWide(std::wstring(block + 1, *block));
}

Texts& Current() {
    static Texts texts(Language::English, ResourceText);
    return texts;
}

}  // namespace

void UseLanguage(Language language) {
    Current() = Texts(language, ResourceText);
    UseFontsFor(language);
}

const Texts& Words() {
    return Current();
}

std::string Say(int id, const std::vector<std::string>& insertions) {
    return Current().Say(id, insertions);
}
