// Which chip port a command works on, and opening it for the command's frames.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// The port a command uses: the one named, or the only chip port present. Empty when there is
// none or several, after a refusal naming the ports there are is written.
std::optional<std::string> ChoosePortForCommand(const std::string& named, bool json);

// Opens the port exclusively and set up exactly as the dialog does, and makes sure the chip's
// driver is behind it before any frame goes out. "" on success; otherwise why not, and the
// handle stays INVALID_HANDLE_VALUE.
std::string OpenChipPort(const std::string& port, HANDLE& handle);
// The same for a command: false after the refusal is written.
bool OpenPortForCommand(const std::string& port, bool json, HANDLE& handle);
