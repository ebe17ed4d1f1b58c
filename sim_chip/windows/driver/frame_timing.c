/* How long a write call takes on the simulated line: an optional fixed delay per frame (one USB
 * control transfer, say) plus, when enabled, the time its characters need at the port's baud
 * rate and line format; and how a port's thread keeps that time. */
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

/* A delayed write is served on its port's own thread, which sleeps until the write's deadline.
 * Under Wine a sleep wakes 0.1 to 0.2 ms late, more when the CPUs are busy: 10 to 20 % of a
 * 1 ms frame. Spinning the last part instead holds a CPU and, with several ports waiting on two
 * CPUs, is itself late. So what a port's frames ran over their emulated time is taken off its
 * next frames' deadlines: each frame takes its time on average, a late wake-up does not add up,
 * and the total never falls short of the emulated time. A frame gives back at most half its
 * delay, so a long stall is made up over several frames. Long delays (wire time at low baud
 * rates) only keep their own deadlines; a late wake-up is a few per cent of them. */
void SimScheduleWrite(SimPort* port, LONGLONG start, ULONGLONG delayMicros) {
    LONGLONG ticks = SimTicksFromMicros(delayMicros);
    LONGLONG giveBack = 0;
    if (delayMicros < ZQSIM_EXACT_DELAY_LIMIT_US) {
        giveBack = port->lateTicks < ticks / 2 ? port->lateTicks : ticks / 2;
    }
    port->writeStart = start;
    port->writeTicks = ticks;
    port->writeDue = start + ticks - giveBack;
}

void SimChargeWrite(SimPort* port, LONGLONG served) {
    LONGLONG late = port->lateTicks + served - port->writeTicks;
    port->serveTicks += served;
    if (port->writeTicks == 0 ||
        port->writeTicks >= SimTicksFromMicros(ZQSIM_EXACT_DELAY_LIMIT_US)) {
        return;
    }
    port->lateTicks = late > 0 ? late : 0;
}

void SimWaitUntil(SimPort* port, LONGLONG due) {
    LONGLONG left = due - SimNow();
    LONGLONG lastStretch = SimTicksFromMicros(ZQSIM_EXACT_DELAY_LIMIT_US);
    LARGE_INTEGER interval;
    if (left <= 0) {
        return;
    }
    /* A long wait is on the port's event, so that a change of the line's first write (a cancel,
     * a purge) ends it early; Wine serves such a wait through the wineserver, and 1 ms of it
     * lasted 1.5 ms and more here. The last stretch is a plain delay, which sleeps in the
     * driver's own process. */
    if (left > lastStretch) {
        interval.QuadPart = -(LONGLONG)(SimMicrosFromTicks(left - lastStretch) * 10);
        KeWaitForSingleObject(&port->writeQueued, Executive, KernelMode, FALSE, &interval);
        return;
    }
    interval.QuadPart = -(LONGLONG)(SimMicrosFromTicks(left) * 10); /* relative, 100 ns units */
    KeDelayExecutionThread(KernelMode, FALSE, &interval);
}
