/* The serial-port IOCTLs a simulated port answers: the set-up calls are recorded so that the
 * control device can show what the port was last set to. */
#include "sim_driver.h"

void SimInitSettings(SimSettings* settings) {
    RtlZeroMemory(settings, sizeof(*settings));
    settings->baudRate = 9600;
    settings->line.WordLength = 8;
    settings->line.Parity = NO_PARITY;
    settings->line.StopBits = STOP_BIT_1;
    settings->handFlow.ControlHandShake = SERIAL_DTR_CONTROL;
    settings->handFlow.FlowReplace = SERIAL_RTS_CONTROL;
    settings->handFlow.XonLimit = 2048;
    settings->handFlow.XoffLimit = 512;
    settings->chars.XonChar = 0x11;
    settings->chars.XoffChar = 0x13;
}

static ULONG Signature(const SimPort* port) {
    switch (port->kind) {
        case ZQSIM_KIND_CHIP_A:
            return ZQ_IDENT_SIGNATURE_A;
        case ZQSIM_KIND_CHIP_B:
            return ZQ_IDENT_SIGNATURE_B;
        default:
            return 0;
    }
}

static void FillProperties(const SimPort* port, SERIAL_COMMPROP* prop) {
    RtlZeroMemory(prop, sizeof(*prop));
    prop->PacketLength = sizeof(*prop);
    prop->PacketVersion = 2;
    prop->ServiceMask = 1; /* SP_SERIALCOMM */
    prop->MaxBaud = SERIAL_BAUD_USER;
    prop->ProvSubType = 1; /* PST_RS232 */
    prop->ProvCapabilities = SERIAL_PCF_DTRDSR | SERIAL_PCF_RTSCTS | SERIAL_PCF_TOTALTIMEOUTS |
                             SERIAL_PCF_INTTIMEOUTS | SERIAL_PCF_SPECIALCHARS;
    prop->SettableParams = SERIAL_SP_PARITY | SERIAL_SP_BAUD | SERIAL_SP_DATABITS |
                           SERIAL_SP_STOPBITS | SERIAL_SP_HANDSHAKING;
    prop->SettableBaud = SERIAL_BAUD_300 | SERIAL_BAUD_1200 | SERIAL_BAUD_2400 | SERIAL_BAUD_4800 |
                         SERIAL_BAUD_9600 | SERIAL_BAUD_19200 | SERIAL_BAUD_38400 |
                         SERIAL_BAUD_57600 | SERIAL_BAUD_115200 | SERIAL_BAUD_USER;
    prop->SettableData =
        SERIAL_DATABITS_5 | SERIAL_DATABITS_6 | SERIAL_DATABITS_7 | SERIAL_DATABITS_8;
    prop->SettableStopParity = SERIAL_STOPBITS_10 | SERIAL_STOPBITS_15 | SERIAL_STOPBITS_20 |
                               SERIAL_PARITY_NONE | SERIAL_PARITY_ODD | SERIAL_PARITY_EVEN |
                               SERIAL_PARITY_MARK | SERIAL_PARITY_SPACE;
    prop->CurrentTxQueue = port->settings.queues.OutSize;
    prop->CurrentRxQueue = port->settings.queues.InSize;
    /* The caller's identification request never reaches a driver (the output overwrites the
     * caller's structure), so a chip port always answers with its signature. */
    if (Signature(port) != 0) {
        prop->ProvSpec1 = ZQ_IDENT_REQUEST;
        prop->ProvSpec2 = Signature(port);
    }
}

static BOOLEAN ValidLine(const SERIAL_LINE_CONTROL* line) {
    return line->WordLength >= 5 && line->WordLength <= 8 && line->Parity <= SPACE_PARITY &&
           line->StopBits <= STOP_BITS_2;
}

typedef struct IoctlBuffers {
    void* buffer;
    ULONG inLength;
    ULONG outLength;
} IoctlBuffers;

/* Copies a value out; fails when the caller's buffer is too small. */
static NTSTATUS Out(const IoctlBuffers* io, const void* value, ULONG size, ULONG_PTR* written) {
    if (io->outLength < size) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    RtlCopyMemory(io->buffer, value, size);
    *written = size;
    return STATUS_SUCCESS;
}

/* Copies a value in; fails when the caller sent too little. */
static NTSTATUS In(const IoctlBuffers* io, void* value, ULONG size) {
    if (io->inLength < size) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    RtlCopyMemory(value, io->buffer, size);
    return STATUS_SUCCESS;
}

/* Runs one IOCTL against the port's settings; called with the port lock held. */
static NTSTATUS Handle(SimPort* port, ULONG code, const IoctlBuffers* io, ULONG_PTR* written) {
    SimSettings* settings = &port->settings;
    SimCallCounts* calls = &port->calls;
    NTSTATUS status;
    ULONG value = 0;

    switch (code) {
        case IOCTL_SERIAL_GET_PROPERTIES: {
            SERIAL_COMMPROP prop;
            FillProperties(port, &prop);
            calls->propertyQueries++;
            return Out(io, &prop, sizeof(prop), written);
        }
        case IOCTL_SERIAL_SET_QUEUE_SIZE:
            status = In(io, &settings->queues, sizeof(settings->queues));
            calls->queueSizeSets += NT_SUCCESS(status);
            return status;
        case IOCTL_SERIAL_GET_TIMEOUTS:
            return Out(io, &settings->timeouts, sizeof(settings->timeouts), written);
        case IOCTL_SERIAL_SET_TIMEOUTS: {
            SERIAL_TIMEOUTS timeouts;
            status = In(io, &timeouts, sizeof(timeouts));
            if (NT_SUCCESS(status) && timeouts.ReadIntervalTimeout == MAXULONG &&
                timeouts.ReadTotalTimeoutMultiplier == MAXULONG &&
                timeouts.ReadTotalTimeoutConstant == MAXULONG) {
                status = STATUS_INVALID_PARAMETER; /* as Windows' serial drivers refuse it */
            }
            if (NT_SUCCESS(status)) {
                settings->timeouts = timeouts;
                calls->timeoutSets++;
            }
            return status;
        }
        case IOCTL_SERIAL_GET_BAUD_RATE:
            return Out(io, &settings->baudRate, sizeof(ULONG), written);
        case IOCTL_SERIAL_SET_BAUD_RATE:
            status = In(io, &value, sizeof(value));
            if (NT_SUCCESS(status) && value == 0) {
                status = STATUS_INVALID_PARAMETER;
            }
            if (NT_SUCCESS(status)) {
                settings->baudRate = value;
                calls->baudRateSets++;
            }
            return status;
        case IOCTL_SERIAL_GET_LINE_CONTROL:
            return Out(io, &settings->line, sizeof(settings->line), written);
        case IOCTL_SERIAL_SET_LINE_CONTROL: {
            SERIAL_LINE_CONTROL line;
            status = In(io, &line, sizeof(line));
            if (NT_SUCCESS(status) && !ValidLine(&line)) {
                status = STATUS_INVALID_PARAMETER;
            }
            if (NT_SUCCESS(status)) {
                settings->line = line;
                calls->lineControlSets++;
            }
            return status;
        }
        case IOCTL_SERIAL_GET_HANDFLOW:
            return Out(io, &settings->handFlow, sizeof(settings->handFlow), written);
        case IOCTL_SERIAL_SET_HANDFLOW:
            status = In(io, &settings->handFlow, sizeof(settings->handFlow));
            calls->handFlowSets += NT_SUCCESS(status);
            return status;
        case IOCTL_SERIAL_GET_CHARS:
            return Out(io, &settings->chars, sizeof(settings->chars), written);
        case IOCTL_SERIAL_SET_CHARS:
            status = In(io, &settings->chars, sizeof(settings->chars));
            calls->charsSets += NT_SUCCESS(status);
            return status;
        case IOCTL_SERIAL_GET_WAIT_MASK:
            return Out(io, &settings->waitMask, sizeof(ULONG), written);
        case IOCTL_SERIAL_SET_WAIT_MASK:
            return In(io, &settings->waitMask, sizeof(ULONG));
        case IOCTL_SERIAL_GET_COMMSTATUS: {
            SERIAL_STATUS serialStatus;
            RtlZeroMemory(&serialStatus, sizeof(serialStatus));
            serialStatus.AmountInInQueue = port->chip.replyCount;
            serialStatus.AmountInOutQueue = SimQueuedWriteBytes(port);
            return Out(io, &serialStatus, sizeof(serialStatus), written);
        }
        case IOCTL_SERIAL_GET_MODEMSTATUS:
            value = 0x30; /* CTS and DSR: the bridge is there */
            return Out(io, &value, sizeof(value), written);
        case IOCTL_SERIAL_GET_DTRRTS:
            value = 0x3; /* DTR and RTS set */
            return Out(io, &value, sizeof(value), written);
        case IOCTL_SERIAL_CONFIG_SIZE:
            return Out(io, &value, sizeof(value), written);
        case IOCTL_SERIAL_GET_STATS: {
            SERIALPERF_STATS stats;
            RtlZeroMemory(&stats, sizeof(stats));
            stats.TransmittedCount = port->counters.writeBytes;
            stats.ReceivedCount = port->counters.readBytes;
            return Out(io, &stats, sizeof(stats), written);
        }
        case IOCTL_SERIAL_SET_DTR:
        case IOCTL_SERIAL_CLR_DTR:
        case IOCTL_SERIAL_SET_RTS:
        case IOCTL_SERIAL_CLR_RTS:
        case IOCTL_SERIAL_SET_XON:
        case IOCTL_SERIAL_SET_XOFF:
        case IOCTL_SERIAL_SET_BREAK_ON:
        case IOCTL_SERIAL_SET_BREAK_OFF:
        case IOCTL_SERIAL_RESET_DEVICE:
        case IOCTL_SERIAL_CLEAR_STATS:
        case IOCTL_SERIAL_IMMEDIATE_CHAR:
            /* Nothing on the simulated line reacts to these. */
            return STATUS_SUCCESS;
        default:
            calls->unsupportedRequests++;
            calls->lastUnsupportedCode = code;
            return STATUS_INVALID_DEVICE_REQUEST;
    }
}

NTSTATUS SimSerialControl(SimPort* port, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    IoctlBuffers io;
    ULONG_PTR written = 0;
    NTSTATUS status;
    KIRQL irql;

    io.buffer = irp->AssociatedIrp.SystemBuffer;
    io.inLength = io.buffer ? stack->Parameters.DeviceIoControl.InputBufferLength : 0;
    io.outLength = io.buffer ? stack->Parameters.DeviceIoControl.OutputBufferLength : 0;

    if (code == IOCTL_SERIAL_PURGE) {
        /* Purging may end a waiting read, which must be completed outside the lock. */
        ULONG flags;
        status = In(&io, &flags, sizeof(flags));
        if (NT_SUCCESS(status)) {
            SimPortPurge(port, flags);
        }
        SimCompleteIrp(irp, status, 0);
        return status;
    }

    KeAcquireSpinLock(&port->lock, &irql);
    status = Handle(port, code, &io, &written);
    KeReleaseSpinLock(&port->lock, irql);
    SimCompleteIrp(irp, status, NT_SUCCESS(status) ? written : 0);
    return status;
}
