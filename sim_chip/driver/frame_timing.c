/* How long a write call takes on the simulated line: an optional fixed delay per frame (one USB
 * control transfer, say) plus, when enabled, the time its characters need at the port's baud
 * rate and line format. */
#include "sim_driver.h"

/* Bits per character in tenths, so that one and a half stop bits stay exact. */
static ULONG CharacterBitTenths(const SERIAL_LINE_CONTROL* line) {
    ULONG tenths = 10 + 10u * line->WordLength; /* start bit and data bits */
    if (line->Parity != NO_PARITY) {
        tenths += 10;
    }
    switch (line->StopBits) {
        case STOP_BITS_1_5:
            return tenths + 15;
        case STOP_BITS_2:
            return tenths + 20;
        default:
            return tenths + 10;
    }
}

static BOOLEAN IsReadFrame(const UCHAR* bytes, ULONG count) {
    return count == CHIP_FRAME_SIZE && bytes[0] == CHIP_FRAME_LEAD && bytes[1] == CHIP_FRAME_READ;
}

ULONGLONG SimWriteDelayMicros(const SimPort* port, const UCHAR* bytes, ULONG count) {
    ULONGLONG micros = port->delayMicros;
    if (port->wireTime && port->settings.baudRate > 0) {
        ULONGLONG characters = count;
        /* The reply's own character is charged to the frame that asks for it, so the reply is
         * waiting as soon as the write completes. */
        if (port->kind != ZQSIM_KIND_FOREIGN && IsReadFrame(bytes, count)) {
            characters++;
        }
        micros += characters * CharacterBitTenths(&port->settings.line) * 100000u /
                  port->settings.baudRate;
    }
    return micros;
}

void SimSpin(LONGLONG ticks) {
    LONGLONG end = SimNow() + ticks;
    while (SimNow() < end) {
        YieldProcessor();
    }
}
