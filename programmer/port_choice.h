// Which chip port a command works on, and opening it for the command's frames.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The port a command uses: the one named, or the only chip port present. On failure the
// message names the ports there are, and exitCode says why.
struct PortChoice {
    std::string port;
    std::string error;
    int exitCode = 0;
};
PortChoice ChoosePort(const std::string& named);

// The same for a command: the port, or empty after the refusal is written (exitCode says why).
std::optional<std::string> ChoosePortForCommand(const std::string& named, bool json, int& exitCode);

// Opens the port exclusively and set up exactly as the dialog does, and makes sure the chip's
// driver is behind it before any frame goes out. "" on success; otherwise why not, and the
// handle stays INVALID_HANDLE_VALUE.
std::string OpenChipPort(const std::string& port, HANDLE& handle);
// The same for a command: false after the refusal is written.
bool OpenPortForCommand(const std::string& port, bool json, HANDLE& handle);
