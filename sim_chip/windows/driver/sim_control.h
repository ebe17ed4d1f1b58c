/* Control interface of the zq61sim stand-in serial driver: the IOCTL codes of its control device
 * and the structures they carry. Plain C with fixed-size fields, shared by the driver (kernel
 * mode) and by user-mode programs in C or C++; it needs no Windows header.
 *
 * Every request names its port by its DOS name ("COM21"), ASCII, NUL-terminated. All IOCTLs
 * use METHOD_BUFFERED; each fails with ERROR_FILE_NOT_FOUND for an unknown port and with
 * ERROR_INVALID_PARAMETER for a malformed request. */
#ifndef SIM_CHIP_DRIVER_SIM_CONTROL_H
#define SIM_CHIP_DRIVER_SIM_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* User-mode path of the control device. */
#define ZQSIM_CONTROL_PATH "\\\\.\\ZQ61SIM"

/* The ports the driver presents when it loads. */
#define ZQSIM_DEFAULT_CHIP_A "COM21"
#define ZQSIM_DEFAULT_CHIP_B "COM22"
#define ZQSIM_DEFAULT_FOREIGN "COM23"

#define ZQSIM_NAME_SIZE 16 /* including the terminating NUL */
#define ZQSIM_MAX_PORTS 16
#define ZQSIM_MEMORY_SIZE 64
#define ZQSIM_LOG_CAPACITY 1024

/* What a port is. */
#define ZQSIM_KIND_CHIP_A 1  /* simulated chip, identifies with signature A */
#define ZQSIM_KIND_CHIP_B 2  /* simulated chip, identifies with signature B */
#define ZQSIM_KIND_FOREIGN 3 /* some other serial port: no signature, never answers */

/* Log entry kinds 1..5 are the chip model's (CHIP_LOG_WRITE .. CHIP_LOG_BAD). */
#define ZQSIM_LOG_WRITE 1
#define ZQSIM_LOG_READ 2
#define ZQSIM_LOG_LOCKED 3
#define ZQSIM_LOG_MUTE 4
#define ZQSIM_LOG_BAD 5
/* A foreign port logs every write call it gets as this kind. */
#define ZQSIM_LOG_FOREIGN 6

/* ZQSIM_IOCTL_MUTE value that makes the chip answer again. */
#define ZQSIM_ANSWER_AGAIN 0xFFFFFFFFu

/* A delayed write pends while its port's own thread waits out its time, so no port's frames
 * wait for another port's. Delays below this many microseconds per write call (a USB transfer's,
 * say) take their time exactly on average over the port's frames; longer ones (wire time at low
 * baud rates) each keep their own deadline and may run a fraction of a millisecond over. */
#define ZQSIM_EXACT_DELAY_LIMIT_US 5000u
/* The earlier name: programs still size a slow frame that stays exact by it. */
#define ZQSIM_SPIN_DELAY_LIMIT_US ZQSIM_EXACT_DELAY_LIMIT_US

#define ZQSIM_DEVICE_TYPE 0xA061u
/* CTL_CODE(ZQSIM_DEVICE_TYPE, 0x800 + n, METHOD_BUFFERED, FILE_ANY_ACCESS) */
#define ZQSIM_CTL(n) ((ZQSIM_DEVICE_TYPE << 16) | ((0x800u + (n)) << 2))

/*                                     input               output */
#define ZQSIM_IOCTL_LIST_PORTS ZQSIM_CTL(0)    /* -              ZqSimPortList */
#define ZQSIM_IOCTL_ADD_PORT ZQSIM_CTL(1)      /* ZqSimRequest (value: ZQSIM_KIND_...) */
#define ZQSIM_IOCTL_REMOVE_PORT ZQSIM_CTL(2)   /* ZqSimRequest: DOS link and SERIALCOMM go */
#define ZQSIM_IOCTL_RESTORE_PORT ZQSIM_CTL(3)  /* ZqSimRequest: both come back */
#define ZQSIM_IOCTL_HOLD_PORT ZQSIM_CTL(4)     /* ZqSimRequest: "open by another program" */
#define ZQSIM_IOCTL_RELEASE_PORT ZQSIM_CTL(5)  /* ZqSimRequest */
#define ZQSIM_IOCTL_GET_MEMORY ZQSIM_CTL(6)    /* ZqSimRequest     ZqSimMemory */
#define ZQSIM_IOCTL_SET_MEMORY ZQSIM_CTL(7)    /* ZqSimMemoryWrite */
#define ZQSIM_IOCTL_FILL_MEMORY ZQSIM_CTL(8)   /* ZqSimRequest (value: the byte) */
#define ZQSIM_IOCTL_MUTE ZQSIM_CTL(9)          /* ZqSimRequest (value: frames or ANSWER_AGAIN) */
#define ZQSIM_IOCTL_GET_LOG ZQSIM_CTL(10)      /* ZqSimRequest     ZqSimLog */
#define ZQSIM_IOCTL_GET_COUNTERS ZQSIM_CTL(11) /* ZqSimRequest     ZqSimCounters */
#define ZQSIM_IOCTL_CLEAR ZQSIM_CTL(12)        /* ZqSimRequest: log, counters, call counts */
#define ZQSIM_IOCTL_GET_STATE ZQSIM_CTL(13)    /* ZqSimRequest     ZqSimPortState */
#define ZQSIM_IOCTL_SET_DELAY ZQSIM_CTL(14)    /* ZqSimRequest (value: microseconds per write) */
#define ZQSIM_IOCTL_SET_WIRE ZQSIM_CTL(15)     /* ZqSimRequest (value: 0 off, 1 on) */

typedef struct ZqSimRequest {
    char port[ZQSIM_NAME_SIZE];
    unsigned int value;
} ZqSimRequest;

typedef struct ZqSimPortInfo {
    char port[ZQSIM_NAME_SIZE];
    unsigned int kind;
    unsigned int present;     /* not taken away */
    unsigned int held;        /* "open by another program" */
    unsigned int linked;      /* its DOS link exists: CreateFile can reach it */
    unsigned int listed;      /* its SERIALCOMM value exists */
    unsigned int openHandles; /* handles open on it now */
} ZqSimPortInfo;

typedef struct ZqSimPortList {
    unsigned int count;
    ZqSimPortInfo ports[ZQSIM_MAX_PORTS];
} ZqSimPortList;

typedef struct ZqSimMemory {
    unsigned char bytes[ZQSIM_MEMORY_SIZE];
} ZqSimMemory;

typedef struct ZqSimMemoryWrite {
    char port[ZQSIM_NAME_SIZE];
    unsigned int address;
    unsigned int count; /* address + count must not pass ZQSIM_MEMORY_SIZE */
    unsigned char bytes[ZQSIM_MEMORY_SIZE];
} ZqSimMemoryWrite;

typedef struct ZqSimLogEntry {
    unsigned char kind;    /* ZQSIM_LOG_... */
    unsigned char command; /* frame byte 1 */
    unsigned char address; /* frame byte 2 */
    unsigned char value;   /* frame byte 3 for a write, the reply for a read */
} ZqSimLogEntry;

typedef struct ZqSimLog {
    unsigned int total; /* write calls logged since the last clear, even past the capacity */
    unsigned int count; /* entries below */
    ZqSimLogEntry entries[ZQSIM_LOG_CAPACITY];
} ZqSimLog;

typedef struct ZqSimCounters {
    unsigned int framesAnswered; /* since the last mute setting, as the chip counts them */
    unsigned int muteAfter;      /* ZQSIM_ANSWER_AGAIN when the chip never goes mute */
    unsigned int writeCalls;
    unsigned int writeBytes;
    unsigned int writesFailed;
    unsigned int readCalls;
    unsigned int readBytes;
    unsigned int readTimeouts; /* reads completed by their time-out */
    unsigned int readsCancelled;
    unsigned int repliesWaiting; /* reply bytes not yet read */
    /* Time spent serving write calls, emulated delays included (performance counter). */
    unsigned long long serveMicros;
} ZqSimCounters;

typedef struct ZqSimPortState {
    char port[ZQSIM_NAME_SIZE];
    unsigned int kind;
    unsigned int openHandles;
    unsigned int opensTotal;
    unsigned int baudRate;
    unsigned int byteSize;
    unsigned int parity;   /* 0 none, 1 odd, 2 even, 3 mark, 4 space (as in a DCB) */
    unsigned int stopBits; /* 0 one, 1 one and a half, 2 two (as in a DCB) */
    unsigned int readIntervalTimeout;
    unsigned int readTotalTimeoutMultiplier;
    unsigned int readTotalTimeoutConstant;
    unsigned int writeTotalTimeoutMultiplier;
    unsigned int writeTotalTimeoutConstant;
    unsigned int inQueueSize;
    unsigned int outQueueSize;
    unsigned int lastPurgeFlags;
    /* How often each set-up request came since the last clear. */
    unsigned int propertyQueries;
    unsigned int queueSizeSets;
    unsigned int timeoutSets;
    unsigned int purges;
    unsigned int baudRateSets;
    unsigned int lineControlSets;
    unsigned int handFlowSets;
    unsigned int charsSets;
    unsigned int unsupportedRequests; /* IOCTLs the port refused */
    unsigned int lastUnsupportedCode;
    unsigned int delayMicros;
    unsigned int wireTime;
} ZqSimPortState;

#ifdef __cplusplus
}
#endif

#endif
