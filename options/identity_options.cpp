#include "identity_options.h"

#include "form_values.h"
#include "utf_text.h"
#include "value_checks.h"

CLI::Validator Check(Status (*check)(const std::string&)) {
    // CLI11 takes "" for a value it accepts.
    return CLI::Validator(
        [check](std::string& value) {
            Status checked = check(value);
            return checked ? std::string() : checked.Err().message;
        },
        "");
}

void AddIdentityOptions(CLI::App& command, bool withSerial, IdentityOptions& options) {
    options.vid = DEFAULT_VID;
    options.pid = DEFAULT_PID;
    options.product = DEFAULT_PRODUCT;
    command.add_option("--vid", options.vid, "vendor ID, 1-4 hex digits (default 2E1B)")
        ->type_name("HEX")
        ->check(Check(CheckId));
    command.add_option("--pid", options.pid, "product ID, 1-4 hex digits (default 6C04)")
        ->type_name("HEX")
        ->check(Check(CheckId));
    if (withSerial) {
        command
            .add_option("--serial", options.serial, "serial number, 1-8 ASCII characters 0x21-0x7E")
            ->type_name("TEXT")
            ->check(Check(CheckSerial));
    }
    command
        .add_option("--product", options.product,
                    "product string, 1-18 UTF-16 code units (default \"usb2.0 serial\")")
        ->type_name("TEXT")
        ->check(Check(CheckProduct));
    command.add_flag("--lock", options.lock,
                     "write-protect the chip for ever (asks first, naming the identity)");
}

ChipIdentity IdentityOf(const IdentityOptions& options) {
    ChipIdentity identity;
    identity.vendorId = ParseId(options.vid);
    identity.productId = ParseId(options.pid);
    if (options.serialGiven) {
        identity.serial = options.serial;
    }
    identity.product = Utf8ToUtf16(options.product).value_or(u"");
    identity.lock = options.lock;
    return identity;
}
