/* Entry, unload and IRP routing of the zq61sim stand-in serial driver. */
#include "sim_driver.h"

PDRIVER_OBJECT SimDriverObject;
static LONGLONG perfFrequency;

DRIVER_INITIALIZE DriverEntry;
static DRIVER_UNLOAD SimUnload;
static DRIVER_DISPATCH SimDispatch;

LONGLONG SimNow(void) {
    return KeQueryPerformanceCounter(NULL).QuadPart;
}

LONGLONG SimTicksFromMicros(ULONGLONG micros) {
    return (LONGLONG)(micros * (ULONGLONG)perfFrequency / 1000000u);
}

ULONGLONG SimMicrosFromTicks(LONGLONG ticks) {
    if (ticks <= 0) {
        return 0;
    }
    return (ULONGLONG)ticks * 1000000u / (ULONGLONG)perfFrequency;
}

void SimCompleteIrp(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

/* GetFileType asks this; a serial port says what it is. */
static NTSTATUS SimQueryVolume(PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    PFILE_FS_DEVICE_INFORMATION info = irp->AssociatedIrp.SystemBuffer;
    if (stack->Parameters.QueryVolume.FsInformationClass != FileFsDeviceInformation) {
        SimCompleteIrp(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
        return STATUS_INVALID_DEVICE_REQUEST;
    }
    if (stack->Parameters.QueryVolume.Length < sizeof(*info) || info == NULL) {
        SimCompleteIrp(irp, STATUS_BUFFER_TOO_SMALL, 0);
        return STATUS_BUFFER_TOO_SMALL;
    }
    info->DeviceType = FILE_DEVICE_SERIAL_PORT;
    info->Characteristics = 0;
    SimCompleteIrp(irp, STATUS_SUCCESS, sizeof(*info));
    return STATUS_SUCCESS;
}

static NTSTATUS SimDispatchPort(SimPort* port, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MajorFunction) {
        case IRP_MJ_CREATE:
            return SimPortCreate(port, irp);
        case IRP_MJ_CLOSE:
            return SimPortClose(port, irp);
        case IRP_MJ_WRITE:
            return SimPortWrite(port, irp);
        case IRP_MJ_READ:
            return SimPortRead(port, irp);
        case IRP_MJ_DEVICE_CONTROL:
            return SimSerialControl(port, irp);
        case IRP_MJ_QUERY_VOLUME_INFORMATION:
            return SimQueryVolume(irp);
        case IRP_MJ_QUERY_INFORMATION:
            /* A serial port has no size or position: all zero, as serial drivers answer. */
            if (irp->AssociatedIrp.SystemBuffer != NULL) {
                RtlZeroMemory(irp->AssociatedIrp.SystemBuffer, stack->Parameters.QueryFile.Length);
            }
            SimCompleteIrp(irp, STATUS_SUCCESS, stack->Parameters.QueryFile.Length);
            return STATUS_SUCCESS;
        case IRP_MJ_CLEANUP:
        case IRP_MJ_FLUSH_BUFFERS:
        case IRP_MJ_SET_INFORMATION:
            SimCompleteIrp(irp, STATUS_SUCCESS, 0);
            return STATUS_SUCCESS;
        default:
            SimCompleteIrp(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
            return STATUS_INVALID_DEVICE_REQUEST;
    }
}

static NTSTATUS SimDispatchControl(PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MajorFunction) {
        case IRP_MJ_DEVICE_CONTROL:
            return SimControlIoctl(irp);
        case IRP_MJ_CREATE:
        case IRP_MJ_CLOSE:
        case IRP_MJ_CLEANUP:
            SimCompleteIrp(irp, STATUS_SUCCESS, 0);
            return STATUS_SUCCESS;
        default:
            SimCompleteIrp(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
            return STATUS_INVALID_DEVICE_REQUEST;
    }
}

static NTSTATUS SimDispatch(PDEVICE_OBJECT device, PIRP irp) {
    ULONG magic = *(ULONG*)device->DeviceExtension;
    if (magic == SIM_PORT_MAGIC) {
        return SimDispatchPort((SimPort*)device->DeviceExtension, irp);
    }
    if (magic == SIM_CONTROL_MAGIC) {
        return SimDispatchControl(irp);
    }
    SimCompleteIrp(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    return STATUS_INVALID_DEVICE_REQUEST;
}

static void SimUnload(PDRIVER_OBJECT driver) {
    UNREFERENCED_PARAMETER(driver);
    SimDeleteControlDevice();
    SimDeleteAllPorts();
}

NTSTATUS DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    LARGE_INTEGER frequency;
    NTSTATUS status;
    UNREFERENCED_PARAMETER(registryPath);

    SimDriverObject = driver;
    KeQueryPerformanceCounter(&frequency);
    perfFrequency = frequency.QuadPart > 0 ? frequency.QuadPart : 10000000;

    driver->DriverUnload = SimUnload;
    driver->MajorFunction[IRP_MJ_CREATE] = SimDispatch;
    driver->MajorFunction[IRP_MJ_CLOSE] = SimDispatch;
    driver->MajorFunction[IRP_MJ_CLEANUP] = SimDispatch;
    driver->MajorFunction[IRP_MJ_READ] = SimDispatch;
    driver->MajorFunction[IRP_MJ_WRITE] = SimDispatch;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = SimDispatch;
    driver->MajorFunction[IRP_MJ_FLUSH_BUFFERS] = SimDispatch;
    driver->MajorFunction[IRP_MJ_QUERY_INFORMATION] = SimDispatch;
    driver->MajorFunction[IRP_MJ_SET_INFORMATION] = SimDispatch;
    driver->MajorFunction[IRP_MJ_QUERY_VOLUME_INFORMATION] = SimDispatch;

    status = SimCreateControlDevice();
    if (!NT_SUCCESS(status)) {
        return status;
    }
    /* A default port whose name is taken elsewhere is still created, just unreachable: the
     * control device reports it as not linked, which says more than a driver that won't load. */
    SimCreatePort(ZQSIM_DEFAULT_CHIP_A, ZQSIM_KIND_CHIP_A);
    SimCreatePort(ZQSIM_DEFAULT_CHIP_B, ZQSIM_KIND_CHIP_B);
    SimCreatePort(ZQSIM_DEFAULT_FOREIGN, ZQSIM_KIND_FOREIGN);
    return STATUS_SUCCESS;
}
