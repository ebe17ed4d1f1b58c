// Owners for Win32 resources: each closes, deletes or releases exactly once, when it goes out of
// scope or is given another resource, so no path (an early return, a throw, a reset) leaks one or
// frees one twice. Shared by the three programs; nothing in here is released by hand elsewhere.
#pragma once

// Winsock's header comes before windows.h's, whose older socket declarations it replaces.
#include <winsock2.h>
#include <windows.h>
#include <winspool.h>
#include <ws2tcpip.h>

#include <bcrypt.h>

#include <utility>

namespace win32 {

// A resource of type T with one way to release it. Move-only: a copy would release twice.
template <typename T, typename Traits>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(T value) : value_(value) {}
    ~Scoped() { Reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : value_(other.Release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    T Get() const { return value_; }
    bool Valid() const { return Traits::Valid(value_); }
    explicit operator bool() const { return Valid(); }

    // The new value is taken before the old one is released, so a caller may hand in a resource
    // made from the old one.
    void Reset(T value = Traits::Empty()) {
        T old = std::exchange(value_, value);
        if (Traits::Valid(old)) {
            Traits::Release(old);
        }
    }
    T Release() { return std::exchange(value_, Traits::Empty()); }

private:
    T value_ = Traits::Empty();
};

// A kernel handle: a file, an event, a thread, a change notification's event. Both "no handle"
// values Win32 uses count as empty.
struct HandleTraits {
    static HANDLE Empty() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Release(HANDLE h) { CloseHandle(h); }
};
using AutoCloseHandle = Scoped<HANDLE, HandleTraits>;

struct RegKeyTraits {
    static HKEY Empty() { return nullptr; }
    static bool Valid(HKEY k) { return k != nullptr; }
    static void Release(HKEY k) { RegCloseKey(k); }
};
using ScopedRegKey = Scoped<HKEY, RegKeyTraits>;

// A DLL loaded at run time for one feature (LoadLibraryW), unloaded when the feature is done.
struct ModuleTraits {
    static HMODULE Empty() { return nullptr; }
    static bool Valid(HMODULE m) { return m != nullptr; }
    static void Release(HMODULE m) { FreeLibrary(m); }
};
using ScopedModule = Scoped<HMODULE, ModuleTraits>;

// Memory a system call allocated with LocalAlloc for the caller (CommandLineToArgvW,
// FormatMessageW).
template <typename P>
struct LocalTraits {
    static P Empty() { return nullptr; }
    static bool Valid(P p) { return p != nullptr; }
    static void Release(P p) { LocalFree(reinterpret_cast<HLOCAL>(p)); }
};
template <typename P>
using ScopedLocal = Scoped<P, LocalTraits<P>>;

// CNG's algorithm provider and a hash made from it. A hash must be destroyed before its provider
// is closed: declared after the provider, its owner goes first.
struct AlgorithmTraits {
    static BCRYPT_ALG_HANDLE Empty() { return nullptr; }
    static bool Valid(BCRYPT_ALG_HANDLE h) { return h != nullptr; }
    static void Release(BCRYPT_ALG_HANDLE h) { BCryptCloseAlgorithmProvider(h, 0); }
};
using ScopedAlgorithm = Scoped<BCRYPT_ALG_HANDLE, AlgorithmTraits>;

struct HashTraits {
    static BCRYPT_HASH_HANDLE Empty() { return nullptr; }
    static bool Valid(BCRYPT_HASH_HANDLE h) { return h != nullptr; }
    static void Release(BCRYPT_HASH_HANDLE h) { BCryptDestroyHash(h); }
};
using ScopedHash = Scoped<BCRYPT_HASH_HANDLE, HashTraits>;

// A GDI object this program created: a font, a brush, a pen. It must not be selected into a DC
// when it is deleted; ScopedSelectObject below puts the old one back first.
template <typename G>
struct GdiTraits {
    static G Empty() { return nullptr; }
    static bool Valid(G g) { return g != nullptr; }
    static void Release(G g) { DeleteObject(g); }
};
template <typename G>
using ScopedGdiObj = Scoped<G, GdiTraits<G>>;
using ScopedFont = ScopedGdiObj<HFONT>;
using ScopedBrush = ScopedGdiObj<HBRUSH>;
using ScopedPen = ScopedGdiObj<HPEN>;

// A window's (or, with no window, the screen's) DC, released to the window it came from.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a DC for a scope; the DC's previous object is selected back at its end.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (old_ != nullptr && old_ != HGDI_ERROR) {
            SelectObject(dc_, old_);
        }
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A socket: closed with closesocket, never CloseHandle.
struct SocketTraits {
    static SOCKET Empty() { return INVALID_SOCKET; }
    static bool Valid(SOCKET s) { return s != INVALID_SOCKET; }
    static void Release(SOCKET s) { closesocket(s); }
};
using ScopedSocket = Scoped<SOCKET, SocketTraits>;

// The addresses GetAddrInfoW found for a name.
struct AddrInfoTraits {
    static ADDRINFOW* Empty() { return nullptr; }
    static bool Valid(ADDRINFOW* a) { return a != nullptr; }
    static void Release(ADDRINFOW* a) { FreeAddrInfoW(a); }
};
using ScopedAddrInfo = Scoped<ADDRINFOW*, AddrInfoTraits>;

// Winsock for a scope: every WSAStartup that succeeded is matched by one WSACleanup.
class ScopedWinsock {
public:
    ScopedWinsock() : error_(WSAStartup(MAKEWORD(2, 2), &data_)) {}
    ~ScopedWinsock() {
        if (error_ == 0) {
            WSACleanup();
        }
    }
    ScopedWinsock(const ScopedWinsock&) = delete;
    ScopedWinsock& operator=(const ScopedWinsock&) = delete;
    // 0 when Winsock started, or why not.
    int Error() const { return error_; }

private:
    WSADATA data_{};
    int error_;
};

// A printer (a spooler's queue) opened with OpenPrinterW.
struct PrinterTraits {
    static HANDLE Empty() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr; }
    static void Release(HANDLE h) { ClosePrinter(h); }
};
using ScopedPrinter = Scoped<HANDLE, PrinterTraits>;

// A print job on an open printer: started here; unless End() hands it to the spooler whole, it
// is aborted, so that no path leaves half a job to print.
class ScopedPrinterDoc {
public:
    ScopedPrinterDoc(HANDLE printer, DOC_INFO_1W* doc)
        : printer_(printer), started_(StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(doc))) {}
    ~ScopedPrinterDoc() {
        if (started_ != 0) {
            AbortPrinter(printer_);
        }
    }
    ScopedPrinterDoc(const ScopedPrinterDoc&) = delete;
    ScopedPrinterDoc& operator=(const ScopedPrinterDoc&) = delete;
    bool Started() const { return started_ != 0; }
    BOOL End() {
        started_ = 0;
        return EndDocPrinter(printer_);
    }

private:
    HANDLE printer_;
    DWORD started_;
};

// A page of a print job, ended when the scope ends unless End() ended it.
class ScopedPrinterPage {
public:
    explicit ScopedPrinterPage(HANDLE printer)
        : printer_(printer), started_(StartPagePrinter(printer)) {}
    ~ScopedPrinterPage() {
        if (started_) {
            EndPagePrinter(printer_);
        }
    }
    ScopedPrinterPage(const ScopedPrinterPage&) = delete;
    ScopedPrinterPage& operator=(const ScopedPrinterPage&) = delete;
    bool Started() const { return started_ != FALSE; }
    BOOL End() {
        started_ = FALSE;
        return EndPagePrinter(printer_);
    }

private:
    HANDLE printer_;
    BOOL started_;
};

}  // namespace win32
