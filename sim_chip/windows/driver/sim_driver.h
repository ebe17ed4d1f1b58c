/* Internals of the zq61sim stand-in serial driver, shared by its source files. */
#ifndef SIM_CHIP_DRIVER_SIM_DRIVER_H
#define SIM_CHIP_DRIVER_SIM_DRIVER_H

#include <ntifs.h> /* ntddk.h and ZwWaitForSingleObject */
#include <ntddser.h>

#include "chip_model.h"
#include "sim_control.h"

#define SIM_POOL_TAG 'miSZ'
#define SIM_PORT_MAGIC 0x5A515054u    /* device extension of a serial port */
#define SIM_CONTROL_MAGIC 0x5A514354u /* device extension of the control device */

#define SIM_DEVICE_NAME_SIZE 32

/* The identification answer. The tool's values are in windows/port/driver_ident.h, which is C++; the
 * driver tests compare the answers against that header, so a drift shows up there. */
#define ZQ_IDENT_REQUEST 0x6B2D9A41u
#define ZQ_IDENT_SIGNATURE_A 0x5A515523u
#define ZQ_IDENT_SIGNATURE_B 0x5A515512u

/* Per-port record of how the port was last set up. */
typedef struct SimSettings {
    ULONG baudRate;
    SERIAL_LINE_CONTROL line;
    SERIAL_HANDFLOW handFlow;
    SERIAL_CHARS chars;
    SERIAL_TIMEOUTS timeouts;
    SERIAL_QUEUE_SIZE queues;
    ULONG waitMask;
    ULONG lastPurgeFlags;
} SimSettings;

typedef struct SimCallCounts {
    ULONG opensTotal;
    ULONG propertyQueries;
    ULONG queueSizeSets;
    ULONG timeoutSets;
    ULONG purges;
    ULONG baudRateSets;
    ULONG lineControlSets;
    ULONG handFlowSets;
    ULONG charsSets;
    ULONG unsupportedRequests;
    ULONG lastUnsupportedCode;
} SimCallCounts;

typedef struct SimPort {
    ULONG magic;
    ULONG kind;   /* ZQSIM_KIND_... */
    ULONG number; /* N of \Device\ZqSimPortN */
    char name[ZQSIM_NAME_SIZE];
    WCHAR deviceName[SIM_DEVICE_NAME_SIZE];

    /* Presence, changed only at PASSIVE_LEVEL by the control device. */
    BOOLEAN present;
    BOOLEAN held;
    BOOLEAN linked;
    BOOLEAN listed;

    /* Everything below is guarded by lock. */
    KSPIN_LOCK lock;
    ChipModel chip;
    SimSettings settings;
    SimCallCounts calls;
    ZqSimCounters counters; /* framesAnswered, muteAfter, repliesWaiting, serveMicros unused */
    LONGLONG serveTicks;
    ULONG openHandles;
    ULONG delayMicros;
    BOOLEAN wireTime;

    /* At most one read waits at a time: the tool's I/O is synchronous. */
    PIRP pendingRead;
    ULONG readDone;     /* bytes already placed in the pending read's buffer */
    ULONG readWant;     /* bytes that complete it early */
    LONGLONG readStart; /* performance counter when it started */
    LONGLONG readTicks; /* its time-out; 0 waits for data or cancellation */
    KTIMER readTimer;
    KDPC readDpc;

    /* Delayed writes wait here in order, the first one's emulated time running: the port's
     * own thread serves them, so one port's frames neither wait for another's nor hold up the
     * dispatch thread. */
    LIST_ENTRY writeQueue;
    LONGLONG writeStart; /* when the first one's turn began */
    LONGLONG writeTicks; /* its emulated time */
    LONGLONG writeDue;   /* when it is served */
    LONGLONG lateTicks;  /* how far the port's frames ran over their time (frame_timing.c) */
    KEVENT writeQueued;
    HANDLE worker;
    volatile LONG stopping;
} SimPort;

typedef struct SimControl {
    ULONG magic;
} SimControl;

/* driver_main.c */
extern PDRIVER_OBJECT SimDriverObject;
LONGLONG SimNow(void);
LONGLONG SimTicksFromMicros(ULONGLONG micros);
ULONGLONG SimMicrosFromTicks(LONGLONG ticks);
void SimCompleteIrp(PIRP irp, NTSTATUS status, ULONG_PTR information);

/* sim_ports.c */
NTSTATUS SimCreatePort(const char* name, ULONG kind);
SimPort* SimFindPort(const char* name);
ULONG SimPortCount(void);
SimPort* SimPortAt(ULONG index);
NTSTATUS SimSetPresent(SimPort* port, BOOLEAN present);
NTSTATUS SimSetHeld(SimPort* port, BOOLEAN held);
void SimDeleteAllPorts(void);

/* serial_ioctl.c */
void SimInitSettings(SimSettings* settings);
NTSTATUS SimSerialControl(SimPort* port, PIRP irp);

/* port_io.c */
NTSTATUS SimInitPortIo(SimPort* port);
NTSTATUS SimPortCreate(SimPort* port, PIRP irp);
NTSTATUS SimPortClose(SimPort* port, PIRP irp);
NTSTATUS SimPortWrite(SimPort* port, PIRP irp);
NTSTATUS SimPortRead(SimPort* port, PIRP irp);
/* Bytes of the writes waiting in line, as a port's output queue. Lock held. */
ULONG SimQueuedWriteBytes(SimPort* port);
void SimPortPurge(SimPort* port, ULONG flags);
void SimStopPortIo(SimPort* port);

/* frame_timing.c */
ULONGLONG SimWriteDelayMicros(const SimPort* port, const UCHAR* bytes, ULONG count);
void SimScheduleWrite(SimPort* port, LONGLONG start, ULONGLONG delayMicros);
void SimChargeWrite(SimPort* port, LONGLONG served);
/* Waits toward due, or less when the line's first write changes: callers check again. */
void SimWaitUntil(SimPort* port, LONGLONG due);

/* control_device.c */
NTSTATUS SimCreateControlDevice(void);
void SimDeleteControlDevice(void);
NTSTATUS SimControlIoctl(PIRP irp);

#endif
