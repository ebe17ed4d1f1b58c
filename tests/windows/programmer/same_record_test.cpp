// For every identity the dialog can express and the console programmer accepts, both build the
// same record byte for byte: the form's texts through GatherForm, the same identity typed as
// zq61prog's options through its command line.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "command_line.h"
#include "form_values.h"
#include "identity_options.h"
#include "memory_form.h"
#include "test_code_page.h"
#include "utf_text.h"

namespace {

struct RandomIdentity {
    std::mt19937 random;
    explicit RandomIdentity(unsigned seed) : random(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    uint16_t Id() { return static_cast<uint16_t>(1 + Below(0xFFFE)); }

    // The dialog needs four digits to store what it shows; the option takes any spelling.
    std::string FormId(uint16_t id) {
        char text[8];
        std::snprintf(text, sizeof(text), Below(2) ? "%04X" : "%04x", id);
        return text;
    }
    std::string OptionId(uint16_t id) {
        const char* formats[] = {"%X", "%04X", "%x", "0x%x", "0X%04X"};
        char text[12];
        std::snprintf(text, sizeof(text), formats[Below(5)], id);
        return text;
    }

    std::string Serial() {
        std::string text;
        for (int i = 1 + Below(8); i > 0; i--) {
            text += static_cast<char>(0x21 + Below(0x5E));
        }
        return text;
    }

    // Up to 18 bytes of code page 936: ASCII, spaces included, and two-byte hanzi.
    std::string Product() {
        std::string text;
        for (int limit = 1 + Below(18); static_cast<int>(text.size()) < limit;) {
            if (Below(3) == 0 && static_cast<int>(text.size()) + 2 <= limit) {
                text += static_cast<char>(0xB0 + Below(0x27));
                text += static_cast<char>(0xA1 + Below(0x5E));
            } else {
                text += static_cast<char>(0x20 + Below(0x5F));
            }
        }
        return text;
    }
};

std::string Utf8Of(const std::string& ansi, CodePage& codePage) {
    uint16_t units[64] = {};
    int count = codePage.ToWide(ansi.data(), static_cast<int>(ansi.size()), units, 64);
    return Utf16ToUtf8(std::u16string(units, units + count)).value_or("");
}

TEST(SameRecord, ZqProgWritesWhatTheDialogGathers) {
    std::unique_ptr<CodePage> codePage = MakeTestCodePage(936);
    RandomIdentity random(61);
    for (int round = 0; round < 2000; round++) {
        uint16_t vendorId = random.Id();
        uint16_t productId = random.Id();
        bool withSerial = random.Below(2);
        std::string serial = random.Serial();
        std::string product = random.Product();
        bool lock = random.Below(4) == 0;

        MemoryForm form;
        form.texts[FormText::VendorId] = random.FormId(vendorId);
        form.texts[FormText::ProductId] = random.FormId(productId);
        form.boxes[FormBox::SerialEnabled] = withSerial;
        form.texts[FormText::Serial] = serial;
        form.boxes[FormBox::ProductEnabled] = 1;
        form.texts[FormText::Product] = product;
        form.boxes[FormBox::WriteProtect] = lock;
        RecordPtr gathered;
        GatherForm(form, *codePage, gathered);

        std::vector<std::string> args = {"zq61prog",  "write",
                                         "--vid",     random.OptionId(vendorId),
                                         "--pid",     random.OptionId(productId),
                                         "--product", Utf8Of(product, *codePage)};
        if (withSerial) {
            args.insert(args.end(), {"--serial", serial});
        }
        if (lock) {
            args.insert(args.end(), {"--lock", "--yes"});
        }
        CommandLine line;
        ASSERT_NO_THROW(line = ParseCommandLine(args)) << args[3] << " " << args[5];
        ASSERT_TRUE(line.output.empty());
        RecordPtr built = std::move(*BuildRecord(IdentityOf(line.identity)));

        ASSERT_TRUE(RecordsEqual(*gathered, *built))
            << "round " << round << ": VID " << args[3] << ", PID " << args[5] << ", serial "
            << (withSerial ? serial : "(none)") << ", product " << args[7];
    }
}

}  // namespace
