#include "machine_defaults.h"

#include <windows.h>

#include "utf_text.h"

namespace {

// Read as UTF-16 and converted, so a connection string in any script survives whatever the
// ANSI code page is.
std::string Environment(const wchar_t* name) {
    wchar_t value[4096];
    DWORD length = GetEnvironmentVariableW(name, value, 4096);
    if (length == 0 || length >= 4096) {
        return "";
    }
    return Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(value), length))
        .value_or("");
}

std::string ComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length)) {
        return "station";
    }
    return Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(name), length))
        .value_or("station");
}

}  // namespace

MachineDefaults ThisMachine() {
    MachineDefaults machine;
    machine.ledger = Environment(L"ZQ61_LEDGER");
    if (machine.ledger.empty()) {
        machine.ledger = Environment(L"ZQ_LEDGER");
    }
    machine.computerName = ComputerName();
    return machine;
}
