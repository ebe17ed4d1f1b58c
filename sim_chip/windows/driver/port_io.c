/* Reads and writes on a simulated port. A write call goes to the chip model as one frame, after
 * its emulated time on the port's own thread; a read takes the chip's reply bytes, or waits for
 * them on a kernel timer for as long as the port's time-outs say. Nothing here blocks the
 * dispatch thread: under Wine one thread serves every device of the driver, the control device
 * included. */
#include "sim_driver.h"

static KDEFERRED_ROUTINE ReadTimerFired;
static KSTART_ROUTINE PortWorker;
static DRIVER_CANCEL CancelRead;
static DRIVER_CANCEL CancelWrite;

NTSTATUS SimInitPortIo(SimPort* port) {
    OBJECT_ATTRIBUTES attributes;
    KeInitializeTimer(&port->readTimer);
    KeInitializeDpc(&port->readDpc, ReadTimerFired, port);
    InitializeListHead(&port->writeQueue);
    KeInitializeEvent(&port->writeQueued, SynchronizationEvent, FALSE);
    InitializeObjectAttributes(&attributes, NULL, OBJ_KERNEL_HANDLE, NULL, NULL);
    return PsCreateSystemThread(&port->worker, THREAD_ALL_ACCESS, &attributes, NULL, NULL,
                                PortWorker, port);
}

void SimStopPortIo(SimPort* port) {
    KeCancelTimer(&port->readTimer);
    KeFlushQueuedDpcs();
    if (port->worker != NULL) {
        InterlockedExchange(&port->stopping, 1);
        KeSetEvent(&port->writeQueued, IO_NO_INCREMENT, FALSE);
        ZwWaitForSingleObject(port->worker, FALSE, NULL);
        ZwClose(port->worker);
        port->worker = NULL;
    }
}

static void ArmTimer(PKTIMER timer, PKDPC dpc, ULONGLONG micros) {
    LARGE_INTEGER due;
    due.QuadPart = -(LONGLONG)(micros * 10); /* relative, in 100 ns units */
    /* Wine 8's KeSetTimer on a timer that has already fired can wait, holding its own lock, for
     * that firing's last callback, which needs the same lock: cancel first, then set. */
    KeCancelTimer(timer);
    KeSetTimer(timer, due, dpc);
}

/* Timers are never cancelled when an IRP finishes early, so a firing may be stale: one armed for
 * an earlier IRP and already on its way when the timer was set again. A stale firing comes right
 * after arming, a real one near the deadline; the slack only absorbs timer jitter. */
static BOOLEAN Due(LONGLONG start, LONGLONG ticks) {
    LONGLONG slack = SimTicksFromMicros(20000);
    if (slack > ticks / 2) {
        slack = ticks / 2;
    }
    return SimNow() - start >= ticks - slack;
}

/* Takes a waiting IRP out of its slot unless its cancel routine already owns it. Lock held. */
static PIRP Detach(PIRP* slot) {
    PIRP irp = *slot;
    if (irp == NULL || IoSetCancelRoutine(irp, NULL) == NULL) {
        return NULL;
    }
    *slot = NULL;
    return irp;
}

NTSTATUS SimPortCreate(SimPort* port, PIRP irp) {
    PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    KIRQL irql;
    KeAcquireSpinLock(&port->lock, &irql);
    port->openHandles++;
    port->calls.opensTotal++;
    KeReleaseSpinLock(&port->lock, irql);
    /* Wine sends IRP_MJ_CLOSE even for opens that never reached a create: only file objects
     * carrying this mark count as open. */
    if (file != NULL) {
        file->FsContext2 = port;
    }
    SimCompleteIrp(irp, STATUS_SUCCESS, 0);
    return STATUS_SUCCESS;
}

NTSTATUS SimPortClose(SimPort* port, PIRP irp) {
    PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    KIRQL irql;
    if (file != NULL && file->FsContext2 == port) {
        file->FsContext2 = NULL;
        KeAcquireSpinLock(&port->lock, &irql);
        if (port->openHandles > 0) {
            port->openHandles--;
        }
        /* Like a real port, bytes nobody read are gone once the last handle closes. */
        if (port->openHandles == 0) {
            ChipDropReplies(&port->chip);
        }
        KeReleaseSpinLock(&port->lock, irql);
    }
    SimCompleteIrp(irp, STATUS_SUCCESS, 0);
    return STATUS_SUCCESS;
}

/* A foreign port answers nothing; it only keeps a record of what it was sent, in the same log
 * format, so tests can prove it never got a frame. Lock held. */
static void LogForeign(SimPort* port, const UCHAR* bytes, ULONG count) {
    ChipModel* chip = &port->chip;
    if (chip->logTotal < CHIP_LOG_CAPACITY) {
        ChipLogEntry* entry = &chip->log[chip->logTotal];
        entry->kind = ZQSIM_LOG_FOREIGN;
        entry->command = count > 1 ? bytes[1] : 0;
        entry->address = count > 2 ? bytes[2] : 0;
        entry->value = count > 3 ? bytes[3] : 0;
    }
    chip->logTotal++;
}

/* Hands one write call to the chip. Lock held. */
static NTSTATUS ApplyWrite(SimPort* port, const UCHAR* bytes, ULONG count) {
    port->counters.writeCalls++;
    port->counters.writeBytes += count;
    if (port->kind == ZQSIM_KIND_FOREIGN) {
        LogForeign(port, bytes, count);
        return STATUS_SUCCESS;
    }
    if (ChipWrite(&port->chip, bytes, count)) {
        return STATUS_SUCCESS;
    }
    /* A mute chip refuses write frames the way a vanished device would. */
    port->counters.writesFailed++;
    return STATUS_IO_DEVICE_ERROR;
}

/* Moves reply bytes into the waiting read; returns the read when it is now complete, for the
 * caller to complete once the lock is released. Lock held. */
static PIRP FeedRead(SimPort* port) {
    PIRP irp = port->pendingRead;
    UCHAR* buffer;
    ULONG length;
    if (irp == NULL) {
        return NULL;
    }
    buffer = irp->AssociatedIrp.SystemBuffer;
    length = IoGetCurrentIrpStackLocation(irp)->Parameters.Read.Length;
    while (port->readDone < length && ChipTakeReply(&port->chip, &buffer[port->readDone])) {
        port->readDone++;
    }
    if (port->readDone < port->readWant) {
        return NULL;
    }
    irp = Detach(&port->pendingRead);
    if (irp != NULL) {
        port->counters.readBytes += port->readDone;
        irp->IoStatus.Status = STATUS_SUCCESS;
        irp->IoStatus.Information = port->readDone;
    }
    return irp;
}

static void CompleteWrite(PIRP irp, NTSTATUS status, PIRP finishedRead) {
    ULONG count = IoGetCurrentIrpStackLocation(irp)->Parameters.Write.Length;
    SimCompleteIrp(irp, status, NT_SUCCESS(status) ? count : 0);
    if (finishedRead != NULL) {
        IoCompleteRequest(finishedRead, IO_NO_INCREMENT);
    }
}

/* A delayed write carries its arrival and its delay while it waits. */
#define WRITE_ARRIVAL(irp) ((irp)->Tail.Overlay.DriverContext[0])
#define WRITE_DELAY(irp) ((irp)->Tail.Overlay.DriverContext[1])

static PIRP FirstWrite(SimPort* port) {
    if (IsListEmpty(&port->writeQueue)) {
        return NULL;
    }
    return CONTAINING_RECORD(port->writeQueue.Flink, IRP, Tail.Overlay.ListEntry);
}

/* The write now first in line starts its emulated time: when it arrived, or when the one before
 * it left the line, whichever is later. Lock held. */
static void TimeFirstWrite(SimPort* port, LONGLONG now) {
    PIRP irp = FirstWrite(port);
    LONGLONG arrival;
    if (irp == NULL) {
        return;
    }
    arrival = (LONGLONG)(ULONG_PTR)WRITE_ARRIVAL(irp);
    SimScheduleWrite(port, arrival > now ? arrival : now, (ULONG_PTR)WRITE_DELAY(irp));
}

ULONG SimQueuedWriteBytes(SimPort* port) {
    ULONG bytes = 0;
    PLIST_ENTRY entry;
    for (entry = port->writeQueue.Flink; entry != &port->writeQueue; entry = entry->Flink) {
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        bytes += IoGetCurrentIrpStackLocation(irp)->Parameters.Write.Length;
    }
    return bytes;
}

NTSTATUS SimPortWrite(SimPort* port, PIRP irp) {
    ULONG count = IoGetCurrentIrpStackLocation(irp)->Parameters.Write.Length;
    const UCHAR* bytes = irp->AssociatedIrp.SystemBuffer;
    LONGLONG start = SimNow();
    ULONGLONG delay;
    NTSTATUS status;
    PIRP finishedRead;
    BOOLEAN first;
    KIRQL irql;

    if (count == 0 || bytes == NULL) {
        SimCompleteIrp(irp, STATUS_SUCCESS, 0);
        return STATUS_SUCCESS;
    }
    KeAcquireSpinLock(&port->lock, &irql);
    delay = SimWriteDelayMicros(port, bytes, count);
    if (delay == 0 && IsListEmpty(&port->writeQueue)) {
        status = ApplyWrite(port, bytes, count);
        finishedRead = FeedRead(port);
        port->serveTicks += SimNow() - start;
        KeReleaseSpinLock(&port->lock, irql);
        CompleteWrite(irp, status, finishedRead);
        return status;
    }
    /* The write waits its turn and its emulated time on the port's thread; the dispatch thread,
     * which serves every port, goes on at once. */
    WRITE_ARRIVAL(irp) = (PVOID)(ULONG_PTR)start;
    WRITE_DELAY(irp) = (PVOID)(ULONG_PTR)delay;
    IoMarkIrpPending(irp);
    IoSetCancelRoutine(irp, CancelWrite);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL) != NULL) {
        KeReleaseSpinLock(&port->lock, irql);
        SimCompleteIrp(irp, STATUS_CANCELLED, 0);
        return STATUS_PENDING;
    }
    /* Queued even when cancelled just now: its cancel routine then takes it off the line. */
    first = IsListEmpty(&port->writeQueue);
    InsertTailList(&port->writeQueue, &irp->Tail.Overlay.ListEntry);
    if (first) {
        TimeFirstWrite(port, start);
    }
    KeReleaseSpinLock(&port->lock, irql);
    if (first) {
        KeSetEvent(&port->writeQueued, IO_NO_INCREMENT, FALSE);
    }
    return STATUS_PENDING;
}

/* Serves the line of writes, each once its time is over. */
static void ServeWrites(SimPort* port) {
    PIRP irp;
    PIRP finishedRead;
    NTSTATUS status;
    LONGLONG due;
    LONGLONG now;
    KIRQL irql;

    for (;;) {
        KeAcquireSpinLock(&port->lock, &irql);
        irp = FirstWrite(port);
        if (irp == NULL) {
            KeReleaseSpinLock(&port->lock, irql);
            return;
        }
        /* A write cancelled while the thread slept gives the next one a deadline of its own. */
        due = port->writeDue;
        if (SimNow() < due) {
            KeReleaseSpinLock(&port->lock, irql);
            SimWaitUntil(port, due);
            continue;
        }
        if (IoSetCancelRoutine(irp, NULL) == NULL) {
            /* Its cancel routine has it, and wakes this thread for the next one. */
            KeReleaseSpinLock(&port->lock, irql);
            return;
        }
        RemoveEntryList(&irp->Tail.Overlay.ListEntry);
        status = ApplyWrite(port, irp->AssociatedIrp.SystemBuffer,
                            IoGetCurrentIrpStackLocation(irp)->Parameters.Write.Length);
        finishedRead = FeedRead(port);
        now = SimNow();
        SimChargeWrite(port, now - port->writeStart);
        TimeFirstWrite(port, now);
        KeReleaseSpinLock(&port->lock, irql);
        CompleteWrite(irp, status, finishedRead);
    }
}

static void PortWorker(PVOID context) {
    SimPort* port = context;
    while (!port->stopping) {
        KeWaitForSingleObject(&port->writeQueued, Executive, KernelMode, FALSE, NULL);
        if (!port->stopping) {
            ServeWrites(port);
        }
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

static void CancelWrite(PDEVICE_OBJECT device, PIRP irp) {
    SimPort* port = (SimPort*)device->DeviceExtension;
    BOOLEAN wasFirst;
    KIRQL irql;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    /* Every other path takes an IRP off the line only by taking its cancel routine back, so
     * reaching here means this routine owns the IRP, and it is still in line. */
    KeAcquireSpinLock(&port->lock, &irql);
    wasFirst = FirstWrite(port) == irp;
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    if (wasFirst) {
        TimeFirstWrite(port, SimNow());
    }
    KeReleaseSpinLock(&port->lock, irql);
    /* The port's thread waits for the first write's deadline: it goes on with the next one. */
    if (wasFirst) {
        KeSetEvent(&port->writeQueued, IO_NO_INCREMENT, FALSE);
    }
    SimCompleteIrp(irp, STATUS_CANCELLED, 0);
}

NTSTATUS SimPortRead(SimPort* port, PIRP irp) {
    ULONG length = IoGetCurrentIrpStackLocation(irp)->Parameters.Read.Length;
    UCHAR* buffer = irp->AssociatedIrp.SystemBuffer;
    SERIAL_TIMEOUTS timeouts;
    ULONGLONG waitMillis;
    ULONG got = 0;
    ULONG want = length;
    KIRQL irql;

    if (length == 0 || buffer == NULL) {
        SimCompleteIrp(irp, STATUS_SUCCESS, 0);
        return STATUS_SUCCESS;
    }
    KeAcquireSpinLock(&port->lock, &irql);
    port->counters.readCalls++;
    if (port->pendingRead != NULL) {
        KeReleaseSpinLock(&port->lock, irql);
        SimCompleteIrp(irp, STATUS_DEVICE_BUSY, 0);
        return STATUS_DEVICE_BUSY;
    }
    while (got < length && ChipTakeReply(&port->chip, &buffer[got])) {
        got++;
    }
    timeouts = port->settings.timeouts;
    waitMillis =
        (ULONGLONG)timeouts.ReadTotalTimeoutMultiplier * length + timeouts.ReadTotalTimeoutConstant;
    if (timeouts.ReadIntervalTimeout == MAXULONG) {
        if (timeouts.ReadTotalTimeoutMultiplier == 0 && timeouts.ReadTotalTimeoutConstant == 0) {
            want = 0; /* return at once with whatever is there */
        } else if (timeouts.ReadTotalTimeoutMultiplier == MAXULONG) {
            want = 1; /* return with the first byte, or after the constant */
            waitMillis = timeouts.ReadTotalTimeoutConstant;
        }
    }
    if (got >= want) {
        port->counters.readBytes += got;
        KeReleaseSpinLock(&port->lock, irql);
        SimCompleteIrp(irp, STATUS_SUCCESS, got);
        return STATUS_SUCCESS;
    }

    port->pendingRead = irp;
    port->readDone = got;
    port->readWant = want;
    port->readStart = SimNow();
    /* All-zero time-outs wait until the bytes come or the read is cancelled. */
    port->readTicks = SimTicksFromMicros(waitMillis * 1000);
    IoMarkIrpPending(irp);
    IoSetCancelRoutine(irp, CancelRead);
    if (irp->Cancel && Detach(&port->pendingRead) != NULL) {
        KeReleaseSpinLock(&port->lock, irql);
        SimCompleteIrp(irp, STATUS_CANCELLED, 0);
        return STATUS_PENDING;
    }
    KeReleaseSpinLock(&port->lock, irql);
    if (waitMillis > 0) {
        ArmTimer(&port->readTimer, &port->readDpc, waitMillis * 1000);
    }
    return STATUS_PENDING;
}

static void ReadTimerFired(PKDPC dpc, PVOID context, PVOID arg1, PVOID arg2) {
    SimPort* port = context;
    ULONG got;
    PIRP irp;
    KIRQL irql;
    UNREFERENCED_PARAMETER(dpc);
    UNREFERENCED_PARAMETER(arg1);
    UNREFERENCED_PARAMETER(arg2);

    KeAcquireSpinLock(&port->lock, &irql);
    if (port->pendingRead == NULL || port->readTicks == 0 ||
        !Due(port->readStart, port->readTicks) || (irp = Detach(&port->pendingRead)) == NULL) {
        KeReleaseSpinLock(&port->lock, irql);
        return;
    }
    got = port->readDone;
    port->counters.readTimeouts++;
    port->counters.readBytes += got;
    KeReleaseSpinLock(&port->lock, irql);
    /* STATUS_TIMEOUT is a success status: ReadFile returns TRUE with what arrived. */
    SimCompleteIrp(irp, STATUS_TIMEOUT, got);
}

static void CancelRead(PDEVICE_OBJECT device, PIRP irp) {
    SimPort* port = (SimPort*)device->DeviceExtension;
    KIRQL irql;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&port->lock, &irql);
    if (port->pendingRead == irp) {
        port->pendingRead = NULL;
    }
    port->counters.readsCancelled++;
    KeReleaseSpinLock(&port->lock, irql);
    SimCompleteIrp(irp, STATUS_CANCELLED, 0);
}

/* Takes every write whose cancel routine can be taken back off the line, into aborted; true
 * when the first write changed. Lock held. */
static BOOLEAN AbortWrites(SimPort* port, PLIST_ENTRY aborted) {
    PIRP first = FirstWrite(port);
    PLIST_ENTRY entry = port->writeQueue.Flink;
    while (entry != &port->writeQueue) {
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        entry = entry->Flink;
        if (IoSetCancelRoutine(irp, NULL) != NULL) {
            RemoveEntryList(&irp->Tail.Overlay.ListEntry);
            InsertTailList(aborted, &irp->Tail.Overlay.ListEntry);
        }
    }
    if (FirstWrite(port) == first) {
        return FALSE;
    }
    TimeFirstWrite(port, SimNow());
    return TRUE;
}

void SimPortPurge(SimPort* port, ULONG flags) {
    PIRP read = NULL;
    LIST_ENTRY aborted;
    BOOLEAN newFirst = FALSE;
    KIRQL irql;
    InitializeListHead(&aborted);
    KeAcquireSpinLock(&port->lock, &irql);
    port->settings.lastPurgeFlags = flags;
    port->calls.purges++;
    if (flags & SERIAL_PURGE_RXCLEAR) {
        ChipDropReplies(&port->chip);
    }
    if (flags & SERIAL_PURGE_RXABORT) {
        read = Detach(&port->pendingRead);
        port->counters.readsCancelled += read != NULL;
    }
    if (flags & SERIAL_PURGE_TXABORT) {
        newFirst = AbortWrites(port, &aborted);
    }
    KeReleaseSpinLock(&port->lock, irql);
    if (newFirst) {
        KeSetEvent(&port->writeQueued, IO_NO_INCREMENT, FALSE);
    }
    if (read != NULL) {
        SimCompleteIrp(read, STATUS_CANCELLED, 0);
    }
    while (!IsListEmpty(&aborted)) {
        PLIST_ENTRY entry = RemoveHeadList(&aborted);
        SimCompleteIrp(CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry), STATUS_CANCELLED, 0);
    }
}
