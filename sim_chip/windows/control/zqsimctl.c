/* zqsimctl: command-line front end of the zq61sim driver's control device, for scripts and
 * tests. Output is one "key=value" item per field or one line per record; exit code 0 on
 * success, 1 on any failure (with the reason on stderr). */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "sim_control.h"

static const char usage[] =
    "usage: zqsimctl COMMAND [PORT] [ARGS]\n"
    "  ports                      list the simulated ports\n"
    "  dump PORT                  the chip's 64 bytes\n"
    "  set PORT ADDR HEX...       store bytes from ADDR (hex) on\n"
    "  fill PORT HEX              set every byte\n"
    "  mute PORT N|off            stop answering after N more frames (0: now) / answer again\n"
    "  log PORT                   the frame log\n"
    "  counters PORT              frame and call counters\n"
    "  clear PORT                 empty the log and the counters\n"
    "  state PORT                 what the port was last set to\n"
    "  remove|restore PORT        take the port away / bring it back\n"
    "  hold|release PORT          make it busy as if another program had it open / free it\n"
    "  add PORT chip-a|chip-b|foreign\n"
    "  delay PORT US              extra microseconds per write call (0: none)\n"
    "  wire PORT on|off           emulate character time at the port's baud rate\n";

static HANDLE control = INVALID_HANDLE_VALUE;

static int Fail(const char* what) {
    DWORD error = GetLastError();
    fprintf(stderr, "zqsimctl: %s failed (error %lu)\n", what, (unsigned long)error);
    return 1;
}

static int Call(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD returned = 0;
    return DeviceIoControl(control, code, (void*)in, inSize, out, outSize, &returned, NULL) != 0;
}

static int ParseNumber(const char* text, int base, unsigned long max, unsigned long* value) {
    char* end = NULL;
    if (text == NULL || *text == 0 || *text == '-') {
        return 0;
    }
    *value = strtoul(text, &end, base);
    return *end == 0 && *value <= max;
}

static const char* KindName(unsigned int kind) {
    switch (kind) {
        case ZQSIM_KIND_CHIP_A:
            return "chip-a";
        case ZQSIM_KIND_CHIP_B:
            return "chip-b";
        case ZQSIM_KIND_FOREIGN:
            return "foreign";
        default:
            return "unknown";
    }
}

static const char* LogKindName(unsigned int kind) {
    static const char* const names[] = {"?", "write", "read", "locked", "mute", "bad", "foreign"};
    return kind < sizeof(names) / sizeof(names[0]) ? names[kind] : "?";
}

static int ListPorts(void) {
    ZqSimPortList list;
    unsigned int i;
    if (!Call(ZQSIM_IOCTL_LIST_PORTS, NULL, 0, &list, sizeof(list))) {
        return Fail("ports");
    }
    for (i = 0; i < list.count && i < ZQSIM_MAX_PORTS; i++) {
        const ZqSimPortInfo* p = &list.ports[i];
        printf("%s %s present=%u held=%u linked=%u listed=%u open=%u\n", p->port, KindName(p->kind),
               p->present, p->held, p->linked, p->listed, p->openHandles);
    }
    return 0;
}

static int Dump(const ZqSimRequest* request) {
    ZqSimMemory memory;
    int i;
    if (!Call(ZQSIM_IOCTL_GET_MEMORY, request, sizeof(*request), &memory, sizeof(memory))) {
        return Fail("dump");
    }
    for (i = 0; i < ZQSIM_MEMORY_SIZE; i++) {
        printf(i % 16 == 0 ? "%02X:" : "", i);
        printf(" %02X", memory.bytes[i]);
        if (i % 16 == 15) {
            printf("\n");
        }
    }
    return 0;
}

/* Bytes come as separate arguments ("12 34") or run together ("1234"). */
static int Set(const char* port, int argc, char** argv) {
    ZqSimMemoryWrite request;
    unsigned long address;
    int i;
    memset(&request, 0, sizeof(request));
    strncpy(request.port, port, ZQSIM_NAME_SIZE - 1);
    if (argc < 2 || !ParseNumber(argv[0], 16, ZQSIM_MEMORY_SIZE - 1, &address)) {
        fprintf(stderr, "zqsimctl: set needs ADDR (hex, below 40) and bytes\n");
        return 1;
    }
    request.address = (unsigned int)address;
    for (i = 1; i < argc; i++) {
        const char* text = argv[i];
        size_t length = strlen(text);
        size_t at;
        if (length == 0 || length % 2 != 0) {
            fprintf(stderr, "zqsimctl: bad byte list '%s'\n", text);
            return 1;
        }
        for (at = 0; at < length; at += 2) {
            char pair[3] = {text[at], text[at + 1], 0};
            unsigned long value;
            if (!ParseNumber(pair, 16, 0xFF, &value) || request.count >= ZQSIM_MEMORY_SIZE) {
                fprintf(stderr, "zqsimctl: bad or too many bytes in '%s'\n", text);
                return 1;
            }
            request.bytes[request.count++] = (unsigned char)value;
        }
    }
    if (!Call(ZQSIM_IOCTL_SET_MEMORY, &request, sizeof(request), NULL, 0)) {
        return Fail("set");
    }
    return 0;
}

static int Log(const ZqSimRequest* request) {
    ZqSimLog* log = malloc(sizeof(*log));
    unsigned int i;
    if (log == NULL) {
        fprintf(stderr, "zqsimctl: out of memory\n");
        return 1;
    }
    if (!Call(ZQSIM_IOCTL_GET_LOG, request, sizeof(*request), log, sizeof(*log))) {
        free(log);
        return Fail("log");
    }
    printf("total=%u\n", log->total);
    for (i = 0; i < log->count && i < ZQSIM_LOG_CAPACITY; i++) {
        const ZqSimLogEntry* e = &log->entries[i];
        printf("%u %s %02X %02X %02X\n", i, LogKindName(e->kind), e->command, e->address, e->value);
    }
    free(log);
    return 0;
}

static int Counters(const ZqSimRequest* request) {
    ZqSimCounters c;
    if (!Call(ZQSIM_IOCTL_GET_COUNTERS, request, sizeof(*request), &c, sizeof(c))) {
        return Fail("counters");
    }
    printf("framesAnswered=%u\n", c.framesAnswered);
    if (c.muteAfter == ZQSIM_ANSWER_AGAIN) {
        printf("muteAfter=off\n");
    } else {
        printf("muteAfter=%u\n", c.muteAfter);
    }
    printf("writeCalls=%u\nwriteBytes=%u\nwritesFailed=%u\n", c.writeCalls, c.writeBytes,
           c.writesFailed);
    printf("readCalls=%u\nreadBytes=%u\nreadTimeouts=%u\nreadsCancelled=%u\n", c.readCalls,
           c.readBytes, c.readTimeouts, c.readsCancelled);
    printf("repliesWaiting=%u\nserveMicros=%llu\n", c.repliesWaiting, c.serveMicros);
    return 0;
}

static int State(const ZqSimRequest* request) {
    ZqSimPortState s;
    if (!Call(ZQSIM_IOCTL_GET_STATE, request, sizeof(*request), &s, sizeof(s))) {
        return Fail("state");
    }
    printf("port=%s\nkind=%s\nopen=%u\nopensTotal=%u\n", s.port, KindName(s.kind), s.openHandles,
           s.opensTotal);
    printf("baudRate=%u\nbyteSize=%u\nparity=%u\nstopBits=%u\n", s.baudRate, s.byteSize, s.parity,
           s.stopBits);
    printf("readIntervalTimeout=%u\nreadTotalTimeoutMultiplier=%u\n", s.readIntervalTimeout,
           s.readTotalTimeoutMultiplier);
    printf("readTotalTimeoutConstant=%u\nwriteTotalTimeoutMultiplier=%u\n",
           s.readTotalTimeoutConstant, s.writeTotalTimeoutMultiplier);
    printf("writeTotalTimeoutConstant=%u\n", s.writeTotalTimeoutConstant);
    printf("inQueueSize=%u\noutQueueSize=%u\nlastPurgeFlags=0x%02X\n", s.inQueueSize,
           s.outQueueSize, s.lastPurgeFlags);
    printf("propertyQueries=%u\nqueueSizeSets=%u\ntimeoutSets=%u\npurges=%u\n", s.propertyQueries,
           s.queueSizeSets, s.timeoutSets, s.purges);
    printf("baudRateSets=%u\nlineControlSets=%u\nhandFlowSets=%u\ncharsSets=%u\n", s.baudRateSets,
           s.lineControlSets, s.handFlowSets, s.charsSets);
    printf("unsupportedRequests=%u\nlastUnsupportedCode=0x%08X\n", s.unsupportedRequests,
           s.lastUnsupportedCode);
    printf("delayMicros=%u\nwire=%s\n", s.delayMicros, s.wireTime ? "on" : "off");
    return 0;
}

typedef struct ValueCommand {
    const char* name;
    DWORD code;
} ValueCommand;

/* Commands whose whole request is the port and, at most, one value. */
static int Simple(const char* command, ZqSimRequest* request, int argc, char** argv) {
    static const ValueCommand plain[] = {
        {"clear", ZQSIM_IOCTL_CLEAR},          {"remove", ZQSIM_IOCTL_REMOVE_PORT},
        {"restore", ZQSIM_IOCTL_RESTORE_PORT}, {"hold", ZQSIM_IOCTL_HOLD_PORT},
        {"release", ZQSIM_IOCTL_RELEASE_PORT},
    };
    const char* arg = argc == 1 ? argv[0] : NULL;
    unsigned long value = 0;
    DWORD code = 0;
    size_t i;
    for (i = 0; i < sizeof(plain) / sizeof(plain[0]); i++) {
        if (strcmp(command, plain[i].name) == 0 && argc == 0) {
            code = plain[i].code;
        }
    }
    if (code != 0 || arg == NULL) {
        /* a plain command, or a value command missing its value */
    } else if (strcmp(command, "fill") == 0 && ParseNumber(arg, 16, 0xFF, &value)) {
        code = ZQSIM_IOCTL_FILL_MEMORY;
    } else if (strcmp(command, "mute") == 0 && strcmp(arg, "off") == 0) {
        code = ZQSIM_IOCTL_MUTE;
        value = ZQSIM_ANSWER_AGAIN;
    } else if (strcmp(command, "mute") == 0 && ParseNumber(arg, 10, 0xFFFFFFFEul, &value)) {
        code = ZQSIM_IOCTL_MUTE;
    } else if (strcmp(command, "delay") == 0 && ParseNumber(arg, 10, 0xFFFFFFFEul, &value)) {
        code = ZQSIM_IOCTL_SET_DELAY;
    } else if (strcmp(command, "wire") == 0 &&
               (strcmp(arg, "on") == 0 || strcmp(arg, "off") == 0)) {
        code = ZQSIM_IOCTL_SET_WIRE;
        value = strcmp(arg, "on") == 0;
    } else if (strcmp(command, "add") == 0) {
        value = strcmp(arg, "chip-a") == 0    ? ZQSIM_KIND_CHIP_A
                : strcmp(arg, "chip-b") == 0  ? ZQSIM_KIND_CHIP_B
                : strcmp(arg, "foreign") == 0 ? ZQSIM_KIND_FOREIGN
                                              : 0;
        code = value != 0 ? ZQSIM_IOCTL_ADD_PORT : 0;
    }
    if (code == 0) {
        fprintf(stderr, "%s", usage);
        return 1;
    }
    request->value = (unsigned int)value;
    if (!Call(code, request, sizeof(*request), NULL, 0)) {
        return Fail(command);
    }
    return 0;
}

int main(int argc, char** argv) {
    ZqSimRequest request;
    const char* command;
    int result;

    if (argc < 2) {
        fprintf(stderr, "%s", usage);
        return 1;
    }
    command = argv[1];
    control = CreateFileA(ZQSIM_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                          0, NULL);
    if (control == INVALID_HANDLE_VALUE) {
        return Fail("opening " ZQSIM_CONTROL_PATH " (is the driver started?)");
    }
    if (strcmp(command, "ports") == 0 && argc == 2) {
        result = ListPorts();
    } else if (argc < 3 || strlen(argv[2]) >= ZQSIM_NAME_SIZE) {
        fprintf(stderr, "%s", usage);
        result = 1;
    } else {
        memset(&request, 0, sizeof(request));
        strncpy(request.port, argv[2], ZQSIM_NAME_SIZE - 1);
        if (strcmp(command, "dump") == 0 && argc == 3) {
            result = Dump(&request);
        } else if (strcmp(command, "set") == 0) {
            result = Set(argv[2], argc - 3, argv + 3);
        } else if (strcmp(command, "log") == 0 && argc == 3) {
            result = Log(&request);
        } else if (strcmp(command, "counters") == 0 && argc == 3) {
            result = Counters(&request);
        } else if (strcmp(command, "state") == 0 && argc == 3) {
            result = State(&request);
        } else {
            result = Simple(command, &request, argc - 3, argv + 3);
        }
    }
    CloseHandle(control);
    fflush(stdout);
    return result;
}
