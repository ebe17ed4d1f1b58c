// Arbitrary chip memory read by the tool and shown in the form, in code page 1252 or 936: the
// read rules give 0/1 flags that match the bytes, and every shown text is terminated, within
// its limit, and never ends in half a double-byte character.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "chip_port.h"
#include "config_sequence.h"
#include "form_values.h"
#include "fuzz_input.h"
#include "memory_form.h"
#include "test_code_page.h"

namespace {

bool IsHexUpper(const std::string& text) {
    if (text.size() != 4)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

// Walks the text as code page 936 does: a lead byte 0x81-0xFE takes the next byte with it.
bool EndsOnWholeCharacter936(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        uint8_t byte = static_cast<uint8_t>(text[i]);
        i += (byte >= 0x81 && byte <= 0xFE) ? 2 : 1;
    }
    return i == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<CodePage> cp1252 = MakeTestCodePage(1252);
    static std::unique_ptr<CodePage> cp936 = MakeTestCodePage(936);
    FuzzInput input(data, size);
    bool doubleByte = input.Byte() & 1;
    CodePage& codePage = doubleByte ? *cp936 : *cp1252;

    ChipPort port(0x00);
    uint8_t* memory = port.Chip().memory;
    for (int i = 0; i < 64; i++)
        memory[i] = input.Byte();
    RecordPtr record = NewRecord();
    Check(ReadConfig(port, *record) == 1);

    Check(record->configured == (memory[0x00] == 0x5B ? 1 : 0));
    Check(record->writeProtected == (memory[0x03] == 0x57 ? 1 : 0));
    Check(record->serialPresent == (memory[0x10] >= 0x21 && memory[0x10] <= 0x7F ? 1 : 0));
    uint8_t length = memory[0x1A];
    Check(record->productPresent ==
          (memory[0x1B] == 3 && length % 2 == 0 && length > 2 && length <= 38 ? 1 : 0));
    Check(record->vendorId == (memory[0x04] | (memory[0x05] << 8)));
    for (int i = 8; i < 12; i++)
        Check(record->serial[i] == 0);
    for (int i = 38; i < 44; i++)
        Check(record->productDescriptor[i] == 0);

    MemoryForm form;
    FillDefaults(form);
    ShowRecord(*record, codePage, form);
    Check(IsHexUpper(form.texts[FormText::VendorId]));
    Check(IsHexUpper(form.texts[FormText::ProductId]));
    Check(form.texts[FormText::Serial].size() <= 8);
    Check(std::strlen(form.texts[FormText::Serial].c_str()) == form.texts[FormText::Serial].size());
    const std::string& product = form.texts[FormText::Product];
    Check(product.size() <= 31);
    if (doubleByte)
        Check(EndsOnWholeCharacter936(product));
    if (record->configured) {
        Check(form.boxes[FormBox::WriteProtect] == record->writeProtected);
        Check(form.boxes[FormBox::SerialEnabled] == record->serialPresent);
        Check(form.boxes[FormBox::ProductEnabled] == record->productPresent);
    }
    return 0;
}
