// What a program's exit code tells a script, in one place: the console programmer's --help and
// the README list the same. A batch's own decision between them is BatchExitCode's.
#pragma once

inline constexpr int EXIT_DONE = 0;           // success
inline constexpr int EXIT_BAD_USAGE = 1;      // bad usage or a bad value; nothing was opened
inline constexpr int EXIT_NO_PORT = 2;        // no chip port to use, or it cannot be opened
inline constexpr int EXIT_FAILED = 3;         // the read or the write failed
inline constexpr int EXIT_UNVERIFIED = 4;     // written, but the read-back failed
inline constexpr int EXIT_WRITE_PROTECT = 5;  // the chip is write-protected
// A batch's record could not be written (it stopped), or the ledger cannot be reached.
inline constexpr int EXIT_RECORD_FAILED = 6;
// An audit read the chip and it is not what its job or its record says it should be; a trace's
// serial is not on record.
inline constexpr int EXIT_DIFFERS = 7;
// A batch's boards are all as their record says, but a label was not printed: reprint it.
inline constexpr int EXIT_LABEL_MISSING = 8;
inline constexpr int EXIT_INTERRUPTED = 130;  // a batch stopped by Ctrl+C or Ctrl+Break

// The table --help prints, one line a code.
inline constexpr const char* EXIT_CODE_TABLE =
    "Exit codes:\n"
    "  0  success\n"
    "  1  bad usage or a bad value (nothing opened)\n"
    "  2  no chip port (or several and no --port), or the port cannot be opened\n"
    "  3  read failed or write failed\n"
    "  4  written but not verified\n"
    "  5  the chip is write-protected\n"
    "  6  the batch's record could not be written: it stopped; chips in progress finished\n"
    "     (or the ledger cannot be reached: nothing was opened)\n"
    "  7  the chip differs from its job or record (a reprint: the record says it is not\n"
    "     verified; a trace: the serial is not on record)\n"
    "  8  every board is fine on record, but a label was not printed: reprint it\n"
    "  130  a batch stopped by Ctrl+C or Ctrl+Break (after the chips in progress)\n"
    "A batch exits 0 when every chip it programmed verified; 3 when one did not, or the\n"
    "serials ran out; 8 instead of 0 or 130 when a verified board's label was not printed.\n";
