#include "process_resources.h"

#include <winternl.h>

#include <vector>

namespace {

// Wine's GDI handle table entry, laid out as Windows' own.
struct GdiEntry {
    unsigned long long object;
    unsigned int owner;
    unsigned short unique;
    unsigned char type;  // 0: free
    unsigned char flags;
    unsigned long long user;
};

struct SystemHandle {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

constexpr ULONG kSystemHandleInformation = 16;
constexpr size_t kPebGdiTable = 0xF8;    // GdiSharedHandleTable in a 64-bit PEB
constexpr size_t kGdiEntries = 0x10000;  // the table's size under Wine
constexpr size_t kGdiChunk = 4096;       // entries read at once

long GdiFromTable(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic = {};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic),
                                  nullptr) != 0) {
        return -1;
    }
    GdiEntry* table = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<BYTE*>(basic.PebBaseAddress) + kPebGdiTable,
                           &table, sizeof(table), &read) ||
        table == nullptr) {
        return -1;
    }
    long used = 0;
    std::vector<GdiEntry> chunk(kGdiChunk);
    for (size_t first = 0; first < kGdiEntries; first += kGdiChunk) {
        if (!ReadProcessMemory(process, table + first, chunk.data(),
                               chunk.size() * sizeof(GdiEntry), &read)) {
            return -1;
        }
        for (const GdiEntry& entry : chunk) {
            used += entry.type != 0;
        }
    }
    return used;
}

long HandlesFromSystemList(DWORD processId) {
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(
                static_cast<SYSTEM_INFORMATION_CLASS>(kSystemHandleInformation), buffer.data(),
                static_cast<ULONG>(buffer.size()), &length)) ==
           static_cast<NTSTATUS>(0xC0000004L)) {
        buffer.resize(buffer.size() * 2);  // STATUS_INFO_LENGTH_MISMATCH
    }
    if (status != 0) {
        return -1;
    }
    ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
    auto* entries = reinterpret_cast<SystemHandle*>(buffer.data() + sizeof(ULONG_PTR));
    long owned = 0;
    for (ULONG i = 0; i < count; i++) {
        owned += entries[i].ownerPid == processId;
    }
    return owned;
}

}  // namespace

ProcessResources CountResources(HANDLE process, DWORD processId) {
    ProcessResources counted;
    counted.gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    counted.user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    counted.handles = static_cast<long>(handles);
    // Wine: every count is zero.
    if (counted.gdi == 0) {
        counted.gdi = GdiFromTable(process);
    }
    if (counted.handles == 0) {
        counted.handles = HandlesFromSystemList(processId);
    }
    return counted;
}
