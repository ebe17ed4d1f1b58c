// What the console programmer's exit code tells a script. Listed in --help and the README.
#pragma once

inline constexpr int EXIT_DONE = 0;           // success
inline constexpr int EXIT_BAD_USAGE = 1;      // bad usage or a bad value; nothing was opened
inline constexpr int EXIT_NO_PORT = 2;        // no chip port to use, or it cannot be opened
inline constexpr int EXIT_FAILED = 3;         // the read or the write failed
inline constexpr int EXIT_UNVERIFIED = 4;     // written, but the read-back failed
inline constexpr int EXIT_WRITE_PROTECT = 5;  // the chip is write-protected
inline constexpr int EXIT_INTERRUPTED = 130;  // a batch stopped by Ctrl+C or Ctrl+Break
