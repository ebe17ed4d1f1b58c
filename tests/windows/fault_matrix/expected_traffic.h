// What one Read Config or Write Config of the prepared form must send to the chip when the chip
// stops answering after a given number of frames, and the memory it must leave behind. Built
// from the chip's memory map and the fixed frame order, independently of the tool's own code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim_control.h"

inline constexpr int READ_FRAMES = 52;          // marker, lock, 4 IDs, 8 serial, 38 product
inline constexpr int WRITE_FRAMES = 51;         // marker, 4 IDs, 8 serial, 38 product
inline constexpr int LOCKED_WRITE_FRAMES = 52;  // the same with the lock last
inline constexpr int NO_FAULT = -1;             // the chip answers every frame

struct WriteFrame {
    uint8_t address;
    uint8_t value;
};

// The form every write case gathers: VID 1234, PID ABCD, serial "SN000042" and product string
// "usb2.0 serial", both ticked.
inline constexpr char FORM_VENDOR_ID[] = "1234";
inline constexpr char FORM_PRODUCT_ID[] = "ABCD";
inline constexpr char FORM_SERIAL[] = "SN000042";
inline constexpr char FORM_PRODUCT[] = "usb2.0 serial";

// The write frames of that form, in the order they must go out; the lock last when asked for.
std::vector<WriteFrame> FormWrites(bool lock);
// A configured chip whose every field differs from the form, for the read cases.
std::vector<uint8_t> ConfiguredChipImage();

// The driver log a job must leave when the chip answers `answered` frames and then goes mute
// (NO_FAULT: never): the given writes first, then a whole read of the memory as it stands after
// them; the first frame past `answered` is logged as refused and nothing follows it.
std::vector<ZqSimLogEntry> ExpectedLog(const std::vector<WriteFrame>& writes,
                                       const std::vector<uint8_t>& memoryBefore, int answered);

// The memory before, with every write frame the chip stored (log kind WRITE) applied in order.
std::vector<uint8_t> MemoryFromLog(const std::vector<uint8_t>& memoryBefore,
                                   const std::vector<ZqSimLogEntry>& log);

// Frames the chip answered before its first refused one: the fault point a job actually met.
int AnsweredBeforeMute(const std::vector<ZqSimLogEntry>& log);

// Compares what reached the chip with what should have: one line per difference, empty when the
// log and the memory are exactly as expected.
std::vector<std::string> CompareTraffic(const std::vector<ZqSimLogEntry>& expectedLog,
                                        const std::vector<ZqSimLogEntry>& actualLog,
                                        unsigned actualTotal,
                                        const std::vector<uint8_t>& memoryBefore,
                                        const std::vector<uint8_t>& memoryAfter);

// Proves CompareTraffic notices the faults it exists for; returns what it failed to notice.
std::vector<std::string> SelfCheckTraffic();
