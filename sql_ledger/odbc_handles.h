// Owners for ODBC handles: each is freed exactly once, through the loaded library's table, when
// its owner goes out of scope or is reset, so no path (an early return, a failed connect, a
// reconnect) leaks one or frees one twice. Written without ODBC's headers, which need windows.h
// on Windows: a handle is ODBC's SQLHANDLE, a plain pointer on every system.
#pragma once

#include <utility>

namespace odbc {

struct Api;

// ODBC's own numbers (SQL_HANDLE_ENV, SQL_HANDLE_DBC, SQL_HANDLE_STMT; checked where its headers
// are seen).
enum class HandleKind : short { Environment = 1, Connection = 2, Statement = 3 };

// Frees the handle. A connection is rolled back and disconnected first, since a connected one
// cannot be freed; on a connection that never connected, or whose link is dead, both are refused
// and it is freed all the same.
void ReleaseHandle(const Api& api, HandleKind kind, void* handle);

// One handle of one kind, with the table it is freed through; the table must outlive it.
// Move-only: a copy would free it twice.
template <HandleKind Kind>
class Handle {
public:
    Handle() = default;
    Handle(const Api& api, void* handle) : api_(&api), handle_(handle) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept
        : api_(other.api_), handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            api_ = other.api_;
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    void* Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset() {
        if (void* old = std::exchange(handle_, nullptr)) {
            ReleaseHandle(*api_, Kind, old);
        }
    }

private:
    const Api* api_ = nullptr;
    void* handle_ = nullptr;
};

using EnvironmentHandle = Handle<HandleKind::Environment>;
using ConnectionHandle = Handle<HandleKind::Connection>;
using StatementHandle = Handle<HandleKind::Statement>;

}  // namespace odbc
