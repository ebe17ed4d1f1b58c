/* The control device \\.\ZQ61SIM: lets tests and scripts look into and steer the simulated
 * ports (memory, mute, log, counters, recorded settings, presence, delays). */
#include "sim_driver.h"

static PDEVICE_OBJECT controlDevice;
/* Control requests change presence and create ports at PASSIVE_LEVEL: one at a time. */
static KMUTEX controlMutex;

#define CONTROL_DEVICE_NAME L"\\Device\\ZqSimControl"
#define CONTROL_LINK_NAME L"\\DosDevices\\ZQ61SIM"
#define MAX_DELAY_MICROS 10000000u

NTSTATUS SimCreateControlDevice(void) {
    UNICODE_STRING deviceName;
    UNICODE_STRING linkName;
    NTSTATUS status;
    KeInitializeMutex(&controlMutex, 0);
    RtlInitUnicodeString(&deviceName, CONTROL_DEVICE_NAME);
    RtlInitUnicodeString(&linkName, CONTROL_LINK_NAME);
    status = IoCreateDevice(SimDriverObject, sizeof(SimControl), &deviceName, FILE_DEVICE_UNKNOWN,
                            0, FALSE, &controlDevice);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    ((SimControl*)controlDevice->DeviceExtension)->magic = SIM_CONTROL_MAGIC;
    controlDevice->Flags |= DO_BUFFERED_IO;
    controlDevice->Flags &= ~DO_DEVICE_INITIALIZING;
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(controlDevice);
        controlDevice = NULL;
    }
    return status;
}

void SimDeleteControlDevice(void) {
    UNICODE_STRING linkName;
    if (controlDevice == NULL) {
        return;
    }
    RtlInitUnicodeString(&linkName, CONTROL_LINK_NAME);
    IoDeleteSymbolicLink(&linkName);
    IoDeleteDevice(controlDevice);
    controlDevice = NULL;
}

typedef struct ControlCall {
    ULONG code;
    void* buffer;
    ULONG inLength;
    ULONG outLength;
    ULONG_PTR written;
} ControlCall;

static void CopyName(char* dest, const char* src) {
    RtlCopyMemory(dest, src, ZQSIM_NAME_SIZE);
    dest[ZQSIM_NAME_SIZE - 1] = 0;
}

static NTSTATUS ListPorts(ControlCall* call) {
    ZqSimPortList* list = call->buffer;
    ULONG i;
    if (call->outLength < sizeof(*list)) {
        return STATUS_BUFFER_TOO_SMALL;
    }
    RtlZeroMemory(list, sizeof(*list));
    for (i = 0; i < SimPortCount(); i++) {
        SimPort* port = SimPortAt(i);
        ZqSimPortInfo* info = &list->ports[i];
        CopyName(info->port, port->name);
        info->kind = port->kind;
        info->present = port->present;
        info->held = port->held;
        info->linked = port->linked;
        info->listed = port->listed;
        info->openHandles = port->openHandles;
    }
    list->count = SimPortCount();
    call->written = sizeof(*list);
    return STATUS_SUCCESS;
}

static void FillState(const SimPort* port, ZqSimPortState* state) {
    const SimSettings* settings = &port->settings;
    RtlZeroMemory(state, sizeof(*state));
    CopyName(state->port, port->name);
    state->kind = port->kind;
    state->openHandles = port->openHandles;
    state->opensTotal = port->calls.opensTotal;
    state->baudRate = settings->baudRate;
    state->byteSize = settings->line.WordLength;
    state->parity = settings->line.Parity;
    state->stopBits = settings->line.StopBits;
    state->readIntervalTimeout = settings->timeouts.ReadIntervalTimeout;
    state->readTotalTimeoutMultiplier = settings->timeouts.ReadTotalTimeoutMultiplier;
    state->readTotalTimeoutConstant = settings->timeouts.ReadTotalTimeoutConstant;
    state->writeTotalTimeoutMultiplier = settings->timeouts.WriteTotalTimeoutMultiplier;
    state->writeTotalTimeoutConstant = settings->timeouts.WriteTotalTimeoutConstant;
    state->inQueueSize = settings->queues.InSize;
    state->outQueueSize = settings->queues.OutSize;
    state->lastPurgeFlags = settings->lastPurgeFlags;
    state->propertyQueries = port->calls.propertyQueries;
    state->queueSizeSets = port->calls.queueSizeSets;
    state->timeoutSets = port->calls.timeoutSets;
    state->purges = port->calls.purges;
    state->baudRateSets = port->calls.baudRateSets;
    state->lineControlSets = port->calls.lineControlSets;
    state->handFlowSets = port->calls.handFlowSets;
    state->charsSets = port->calls.charsSets;
    state->unsupportedRequests = port->calls.unsupportedRequests;
    state->lastUnsupportedCode = port->calls.lastUnsupportedCode;
    state->delayMicros = port->delayMicros;
    state->wireTime = port->wireTime;
}

static void FillLog(const SimPort* port, ZqSimLog* log) {
    ULONG i;
    log->total = port->chip.logTotal;
    log->count = log->total < ZQSIM_LOG_CAPACITY ? log->total : ZQSIM_LOG_CAPACITY;
    for (i = 0; i < log->count; i++) {
        log->entries[i].kind = port->chip.log[i].kind;
        log->entries[i].command = port->chip.log[i].command;
        log->entries[i].address = port->chip.log[i].address;
        log->entries[i].value = port->chip.log[i].value;
    }
}

static void FillCounters(const SimPort* port, ZqSimCounters* counters) {
    *counters = port->counters;
    counters->framesAnswered = port->chip.framesAnswered;
    counters->muteAfter = port->chip.muteAfter;
    counters->repliesWaiting = port->chip.replyCount;
    counters->serveMicros = SimMicrosFromTicks(port->serveTicks);
}

static void Clear(SimPort* port) {
    ChipClearLog(&port->chip);
    RtlZeroMemory(&port->counters, sizeof(port->counters));
    RtlZeroMemory(&port->calls, sizeof(port->calls));
    port->serveTicks = 0;
    port->lateTicks = 0;
}

/* Requests that look into or change one port's simulation, under the port lock. A foreign port
 * takes the chip requests too, so one reset fits every port; its chip is never consulted. */
static NTSTATUS PortRequest(ControlCall* call, SimPort* port, const ZqSimRequest* request) {
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;
    ULONG needed = 0;
    switch (call->code) {
        case ZQSIM_IOCTL_GET_MEMORY:
            needed = sizeof(ZqSimMemory);
            break;
        case ZQSIM_IOCTL_GET_LOG:
            needed = sizeof(ZqSimLog);
            break;
        case ZQSIM_IOCTL_GET_COUNTERS:
            needed = sizeof(ZqSimCounters);
            break;
        case ZQSIM_IOCTL_GET_STATE:
            needed = sizeof(ZqSimPortState);
            break;
        default:
            break;
    }
    if (call->outLength < needed) {
        return STATUS_BUFFER_TOO_SMALL;
    }

    KeAcquireSpinLock(&port->lock, &irql);
    switch (call->code) {
        case ZQSIM_IOCTL_GET_MEMORY:
            RtlCopyMemory(((ZqSimMemory*)call->buffer)->bytes, port->chip.memory,
                          ZQSIM_MEMORY_SIZE);
            break;
        case ZQSIM_IOCTL_FILL_MEMORY:
            if (request->value > 0xFF) {
                status = STATUS_INVALID_PARAMETER;
            } else {
                RtlFillMemory(port->chip.memory, CHIP_MEMORY_SIZE, (UCHAR)request->value);
            }
            break;
        case ZQSIM_IOCTL_MUTE:
            ChipMuteAfter(&port->chip, request->value);
            break;
        case ZQSIM_IOCTL_GET_LOG:
            FillLog(port, call->buffer);
            break;
        case ZQSIM_IOCTL_GET_COUNTERS:
            FillCounters(port, call->buffer);
            break;
        case ZQSIM_IOCTL_CLEAR:
            Clear(port);
            break;
        case ZQSIM_IOCTL_GET_STATE:
            FillState(port, call->buffer);
            break;
        case ZQSIM_IOCTL_SET_DELAY:
            if (request->value > MAX_DELAY_MICROS) {
                status = STATUS_INVALID_PARAMETER;
            } else {
                port->delayMicros = request->value;
            }
            break;
        case ZQSIM_IOCTL_SET_WIRE:
            port->wireTime = request->value != 0;
            break;
        default:
            status = STATUS_INVALID_DEVICE_REQUEST;
            break;
    }
    KeReleaseSpinLock(&port->lock, irql);
    if (NT_SUCCESS(status)) {
        call->written = needed;
    }
    return status;
}

static NTSTATUS SetMemory(ControlCall* call) {
    ZqSimMemoryWrite request;
    SimPort* port;
    KIRQL irql;
    if (call->inLength < sizeof(request)) {
        return STATUS_INVALID_PARAMETER;
    }
    RtlCopyMemory(&request, call->buffer, sizeof(request));
    request.port[ZQSIM_NAME_SIZE - 1] = 0;
    port = SimFindPort(request.port);
    if (port == NULL) {
        return STATUS_OBJECT_NAME_NOT_FOUND;
    }
    if (request.count == 0 || request.address >= ZQSIM_MEMORY_SIZE ||
        request.count > ZQSIM_MEMORY_SIZE - request.address) {
        return STATUS_INVALID_PARAMETER;
    }
    KeAcquireSpinLock(&port->lock, &irql);
    RtlCopyMemory(&port->chip.memory[request.address], request.bytes, request.count);
    KeReleaseSpinLock(&port->lock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS Dispatch(ControlCall* call) {
    ZqSimRequest request;
    SimPort* port;

    if (call->code == ZQSIM_IOCTL_LIST_PORTS) {
        return ListPorts(call);
    }
    if (call->code == ZQSIM_IOCTL_SET_MEMORY) {
        return SetMemory(call);
    }
    if (call->inLength < sizeof(request)) {
        return STATUS_INVALID_PARAMETER;
    }
    RtlCopyMemory(&request, call->buffer, sizeof(request));
    request.port[ZQSIM_NAME_SIZE - 1] = 0;
    if (call->code == ZQSIM_IOCTL_ADD_PORT) {
        return SimCreatePort(request.port, request.value);
    }
    port = SimFindPort(request.port);
    if (port == NULL) {
        return STATUS_OBJECT_NAME_NOT_FOUND;
    }
    switch (call->code) {
        case ZQSIM_IOCTL_REMOVE_PORT:
            return SimSetPresent(port, FALSE);
        case ZQSIM_IOCTL_RESTORE_PORT:
            return SimSetPresent(port, TRUE);
        case ZQSIM_IOCTL_HOLD_PORT:
            return SimSetHeld(port, TRUE);
        case ZQSIM_IOCTL_RELEASE_PORT:
            return SimSetHeld(port, FALSE);
        default:
            return PortRequest(call, port, &request);
    }
}

NTSTATUS SimControlIoctl(PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ControlCall call;
    NTSTATUS status;

    call.code = stack->Parameters.DeviceIoControl.IoControlCode;
    call.buffer = irp->AssociatedIrp.SystemBuffer;
    call.inLength = call.buffer ? stack->Parameters.DeviceIoControl.InputBufferLength : 0;
    call.outLength = call.buffer ? stack->Parameters.DeviceIoControl.OutputBufferLength : 0;
    call.written = 0;

    KeWaitForSingleObject(&controlMutex, Executive, KernelMode, FALSE, NULL);
    status = Dispatch(&call);
    KeReleaseMutex(&controlMutex, FALSE);
    SimCompleteIrp(irp, status, NT_SUCCESS(status) ? call.written : 0);
    return status;
}
