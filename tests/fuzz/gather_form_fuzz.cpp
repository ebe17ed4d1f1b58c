// Arbitrary form texts, in code page 1252 or 936, gathered into a record, written to the
// simulated chip and read back: the record is always well-formed and the chip holds its image.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "chip_map.h"
#include "chip_port.h"
#include "config_sequence.h"
#include "form_values.h"
#include "fuzz_input.h"
#include "memory_form.h"
#include "test_code_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<CodePage> cp1252 = MakeTestCodePage(1252);
    static std::unique_ptr<CodePage> cp936 = MakeTestCodePage(936);
    FuzzInput input(data, size);
    CodePage& codePage = (input.Byte() & 1) ? *cp936 : *cp1252;

    MemoryForm form;
    uint8_t boxes = input.Byte();
    form.boxes[FormBox::WriteProtect] = boxes & 1;
    form.boxes[FormBox::SerialEnabled] = (boxes >> 1) & 1;
    form.boxes[FormBox::ProductEnabled] = (boxes >> 2) & 1;
    // Texts longer than the edit limits and with embedded NULs, as a hostile form could hold.
    form.texts[FormText::VendorId] = input.Text(8);
    form.texts[FormText::ProductId] = input.Text(8);
    form.texts[FormText::Serial] = input.Text(16);
    form.texts[FormText::Product] = input.Text(40);

    RecordPtr record;
    GatherForm(form, codePage, record);
    Check(record->configured == 1);
    for (int32_t flag : {record->writeProtected, record->serialPresent, record->productPresent}) {
        Check(flag == 0 || flag == 1);
    }
    for (int i = 8; i < 12; i++)
        Check(record->serial[i] == 0);
    for (int i = 38; i < 44; i++)
        Check(record->productDescriptor[i] == 0);
    if (record->productPresent) {
        uint8_t length = record->productDescriptor[0];
        Check(length >= 2 && length <= 38 && length % 2 == 0);
        Check(record->productDescriptor[1] == 3);
        for (int i = length; i < 38; i++)
            Check(record->productDescriptor[i] == 0);
    } else {
        for (uint8_t byte : record->productDescriptor)
            Check(byte == 0);
    }
    if (!record->serialPresent) {
        for (uint8_t byte : record->serial)
            Check(byte == 0);
    }
    if (IsFullHexId(form.texts[FormText::VendorId].c_str())) {
        Check(record->vendorId ==
              std::strtoul(form.texts[FormText::VendorId].c_str(), nullptr, 16));
    }

    ChipPort port(0xFF);
    Check(WriteConfig(port, *record) == 1);
    Check(port.Writes().size() == (record->writeProtected ? 52u : 51u));
    const uint8_t* memory = port.Chip().memory;
    Check(std::memcmp(memory + 0x10, record->serial, 8) == 0);
    Check(std::memcmp(memory + 0x1A, record->productDescriptor, 38) == 0);
    Check(memory[0x03] == (record->writeProtected ? 0x57 : 0xFF));
    for (int address = 0; address < 64; address++)
        Check(!IsUnusedAddress(address) || memory[address] == 0xFF);
    return 0;
}
