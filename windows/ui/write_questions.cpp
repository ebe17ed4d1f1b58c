#include "write_questions.h"

#include "ansi_wide_text.h"
#include "form_values.h"
#include "record_text.h"

namespace {

std::wstring IdNote(const wchar_t* label, const char* text, uint16_t stored) {
    return std::wstring(label) + L"“" + WidenAnsi(text) + L"”不是 4 位十六进制数字，将写入 " +
           WideHexId(stored) + L"。\n";
}

std::wstring SerialQuestionText(const ConfigRecord& record) {
    if (!record.serialPresent) {
        return L"（不写入）";
    }
    char serial[SERIAL_CHARS + 1] = {};
    for (int i = 0; i < SERIAL_CHARS && record.serial[i] != 0; i++) {
        serial[i] = static_cast<char>(record.serial[i]);
    }
    return serial[0] != '\0' ? WidenAnsi(serial) : L"（空）";
}

// The descriptor's own UTF-16 units: exactly what the chip will report, not a re-conversion.
std::wstring ProductQuestionText(const ConfigRecord& record) {
    std::optional<std::u16string> units = ProductUnits(record);
    if (!units) {
        return L"（不写入）";
    }
    std::wstring text(units->begin(), units->end());
    return !text.empty() ? text : L"（空）";
}

}  // namespace

std::wstring IdQuestion(const char* vendorIdText, const char* productIdText,
                        const ConfigRecord& record) {
    std::wstring notes;
    if (!IsFullHexId(vendorIdText)) {
        notes += IdNote(L"厂商 ID（VID）", vendorIdText, record.vendorId);
    }
    if (!IsFullHexId(productIdText)) {
        notes += IdNote(L"产品 ID（PID）", productIdText, record.productId);
    }
    if (notes.empty()) {
        return notes;
    }
    return notes + L"\n仍要写入吗？";
}

std::wstring LockQuestion(const ConfigRecord& record) {
    return L"已勾选写保护：写入后芯片将被永久锁定，以后再也无法修改配置。\n\n"
           L"将写入的配置：\n"
           L"VID：" +
           WideHexId(record.vendorId) + L"\n" + L"PID：" + WideHexId(record.productId) + L"\n" +
           L"序列号：" + SerialQuestionText(record) + L"\n" + L"产品字符串：" +
           ProductQuestionText(record) + L"\n\n" + L"确定要写入并永久锁定芯片吗？";
}
