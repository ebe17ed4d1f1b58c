/* The simulated serial ports: their device objects, DOS links and SERIALCOMM entries. */
#include "sim_driver.h"

static PDEVICE_OBJECT portDevices[ZQSIM_MAX_PORTS];
static volatile LONG portCount;

static BOOLEAN SameName(const char* a, const char* b) {
    ULONG i;
    for (i = 0; i < ZQSIM_NAME_SIZE; i++) {
        char ca = (a[i] >= 'a' && a[i] <= 'z') ? (char)(a[i] - 32) : a[i];
        char cb = (b[i] >= 'a' && b[i] <= 'z') ? (char)(b[i] - 32) : b[i];
        if (ca != cb) {
            return FALSE;
        }
        if (ca == 0) {
            return TRUE;
        }
    }
    return TRUE;
}

/* Port names are what CreateFile and SERIALCOMM show: letters and digits only. */
static BOOLEAN ValidName(const char* name) {
    ULONG i;
    for (i = 0; i < ZQSIM_NAME_SIZE; i++) {
        char c = name[i];
        if (c == 0) {
            return i > 0;
        }
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
            return FALSE;
        }
    }
    return FALSE;
}

/* Returns the characters written, without the terminating NUL. */
static ULONG AppendWide(WCHAR* dest, ULONG size, const WCHAR* prefix, const char* ascii) {
    ULONG at = 0;
    while (*prefix && at + 1 < size) {
        dest[at++] = *prefix++;
    }
    while (*ascii && at + 1 < size) {
        dest[at++] = (WCHAR)(unsigned char)*ascii++;
    }
    dest[at] = 0;
    return at;
}

static void DecimalAscii(char* dest, ULONG value) {
    char digits[12];
    ULONG n = 0;
    do {
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) {
        *dest++ = digits[--n];
    }
    *dest = 0;
}

static NTSTATUS CreateLink(SimPort* port) {
    WCHAR linkBuffer[SIM_DEVICE_NAME_SIZE];
    UNICODE_STRING link;
    UNICODE_STRING target;
    NTSTATUS status;
    AppendWide(linkBuffer, SIM_DEVICE_NAME_SIZE, L"\\DosDevices\\", port->name);
    RtlInitUnicodeString(&link, linkBuffer);
    RtlInitUnicodeString(&target, port->deviceName);
    status = IoCreateSymbolicLink(&link, &target);
    if (NT_SUCCESS(status)) {
        port->linked = TRUE;
    } else {
        DbgPrint("zq61sim: cannot link %s: 0x%08lx (name claimed elsewhere?)\n", port->name,
                 (unsigned long)status);
    }
    return status;
}

static void DeleteLink(SimPort* port) {
    WCHAR linkBuffer[SIM_DEVICE_NAME_SIZE];
    UNICODE_STRING link;
    AppendWide(linkBuffer, SIM_DEVICE_NAME_SIZE, L"\\DosDevices\\", port->name);
    RtlInitUnicodeString(&link, linkBuffer);
    IoDeleteSymbolicLink(&link);
    port->linked = FALSE;
}

static NTSTATUS List(SimPort* port) {
    WCHAR value[ZQSIM_NAME_SIZE];
    NTSTATUS status;
    ULONG length = AppendWide(value, ZQSIM_NAME_SIZE, L"", port->name);
    /* Value name as Windows' own serial drivers use it: the kernel device name. */
    status = RtlWriteRegistryValue(RTL_REGISTRY_DEVICEMAP, L"SERIALCOMM", port->deviceName, REG_SZ,
                                   value, (length + 1) * sizeof(WCHAR));
    if (NT_SUCCESS(status)) {
        port->listed = TRUE;
    }
    return status;
}

static void Unlist(SimPort* port) {
    RtlDeleteRegistryValue(RTL_REGISTRY_DEVICEMAP, L"SERIALCOMM", port->deviceName);
    port->listed = FALSE;
}

/* Brings the link and the listing in line with present/held: a port taken away has neither,
 * a held one stays listed but cannot be opened again. */
static NTSTATUS Sync(SimPort* port) {
    BOOLEAN wantLink = port->present && !port->held;
    NTSTATUS status = STATUS_SUCCESS;
    if (wantLink && !port->linked) {
        status = CreateLink(port);
    } else if (!wantLink && port->linked) {
        DeleteLink(port);
    }
    if (port->present && !port->listed && port->linked) {
        NTSTATUS listed = List(port);
        if (NT_SUCCESS(status)) {
            status = listed;
        }
    } else if (!port->present && port->listed) {
        Unlist(port);
    }
    return status;
}

NTSTATUS SimCreatePort(const char* name, ULONG kind) {
    WCHAR deviceBuffer[SIM_DEVICE_NAME_SIZE];
    char number[12];
    UNICODE_STRING deviceName;
    PDEVICE_OBJECT device;
    SimPort* port;
    NTSTATUS status;
    LONG index = portCount;

    if (!ValidName(name) || kind < ZQSIM_KIND_CHIP_A || kind > ZQSIM_KIND_FOREIGN) {
        return STATUS_INVALID_PARAMETER;
    }
    if (SimFindPort(name) != NULL) {
        return STATUS_OBJECT_NAME_COLLISION;
    }
    if (index >= ZQSIM_MAX_PORTS) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    DecimalAscii(number, (ULONG)index);
    AppendWide(deviceBuffer, SIM_DEVICE_NAME_SIZE, L"\\Device\\ZqSimPort", number);
    RtlInitUnicodeString(&deviceName, deviceBuffer);
    status = IoCreateDevice(SimDriverObject, sizeof(SimPort), &deviceName, FILE_DEVICE_SERIAL_PORT,
                            0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    port = (SimPort*)device->DeviceExtension;
    RtlZeroMemory(port, sizeof(*port));
    port->magic = SIM_PORT_MAGIC;
    port->kind = kind;
    port->number = (ULONG)index;
    RtlCopyMemory(port->name, name, ZQSIM_NAME_SIZE);
    port->name[ZQSIM_NAME_SIZE - 1] = 0;
    RtlCopyMemory(port->deviceName, deviceBuffer, sizeof(deviceBuffer));
    KeInitializeSpinLock(&port->lock);
    /* Blank chips, as they leave the factory. */
    ChipInit(&port->chip, 0xFF);
    SimInitSettings(&port->settings);
    status = SimInitPortIo(port);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    port->present = TRUE;

    device->Flags |= DO_BUFFERED_IO;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    portDevices[index] = device;
    InterlockedIncrement(&portCount);
    return Sync(port);
}

SimPort* SimFindPort(const char* name) {
    LONG i;
    for (i = 0; i < portCount; i++) {
        SimPort* port = (SimPort*)portDevices[i]->DeviceExtension;
        if (SameName(port->name, name)) {
            return port;
        }
    }
    return NULL;
}

ULONG SimPortCount(void) {
    return (ULONG)portCount;
}

SimPort* SimPortAt(ULONG index) {
    return index < (ULONG)portCount ? (SimPort*)portDevices[index]->DeviceExtension : NULL;
}

NTSTATUS SimSetPresent(SimPort* port, BOOLEAN present) {
    port->present = present;
    return Sync(port);
}

NTSTATUS SimSetHeld(SimPort* port, BOOLEAN held) {
    port->held = held;
    return Sync(port);
}

void SimDeleteAllPorts(void) {
    LONG i;
    for (i = portCount - 1; i >= 0; i--) {
        SimPort* port = (SimPort*)portDevices[i]->DeviceExtension;
        port->present = FALSE;
        Sync(port);
        SimStopPortIo(port);
        IoDeleteDevice(portDevices[i]);
        portDevices[i] = NULL;
    }
    portCount = 0;
}
