/* The simulated ZQ61 chip: its 64-byte configuration memory as the configuration tool sees it,
 * driven by the tool's 4-byte request frames.
 *
 * Plain C with no library dependency: the same model runs in-process in the unit tests and in
 * kernel mode inside the stand-in serial driver. The caller owns the memory and serialises calls.
 */
#ifndef SIM_CHIP_CHIP_MODEL_H
#define SIM_CHIP_CHIP_MODEL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char ChipByte;
typedef unsigned int ChipCount;

#define CHIP_MEMORY_SIZE 64
#define CHIP_FRAME_SIZE 4
#define CHIP_FRAME_LEAD 0x40
#define CHIP_FRAME_WRITE 0xA0
#define CHIP_FRAME_READ 0xA1
#define CHIP_LOCK_ADDRESS 0x03
#define CHIP_LOCK_VALUE 0x57
#define CHIP_REPLY_QUEUE_SIZE 64
#define CHIP_LOG_CAPACITY 1024
/* muteAfter value for a chip that never stops answering */
#define CHIP_ALWAYS_ANSWERS 0xFFFFFFFFu

/* What became of one write call handed to the chip. */
#define CHIP_LOG_WRITE 1  /* write frame, stored */
#define CHIP_LOG_READ 2   /* read frame, reply queued */
#define CHIP_LOG_LOCKED 3 /* write frame ignored: the chip is locked */
#define CHIP_LOG_MUTE 4   /* frame not answered: the chip had stopped answering */
#define CHIP_LOG_BAD 5    /* not a well-formed frame; ignored */

typedef struct ChipLogEntry {
    ChipByte kind;    /* CHIP_LOG_... */
    ChipByte command; /* frame byte 1 (0xA0, 0xA1, or whatever came) */
    ChipByte address; /* frame byte 2 */
    ChipByte value;   /* frame byte 3 for a write, the reply for a read */
} ChipLogEntry;

typedef struct ChipModel {
    ChipByte memory[CHIP_MEMORY_SIZE];
    /* Frames answered so far and the number after which the chip goes mute. */
    ChipCount framesAnswered;
    ChipCount muteAfter;
    /* Reply bytes waiting for the host, oldest first. */
    ChipByte replies[CHIP_REPLY_QUEUE_SIZE];
    ChipCount replyHead;
    ChipCount replyCount;
    /* Every write call handed to the chip; logTotal keeps counting when the log is full. */
    ChipLogEntry log[CHIP_LOG_CAPACITY];
    ChipCount logTotal;
} ChipModel;

/* A fresh chip: every memory byte set to fill (0xFF for a blank chip), answering, empty log. */
void ChipInit(ChipModel* chip, ChipByte fill);

/* Hands the chip the bytes of one write call. Returns 1 when the write call succeeds, 0 when
 * it fails. A mute chip fails write frames (as a vanished device would) but lets a read frame
 * go out unanswered, so the host's read times out. A frame to a locked chip succeeds and
 * changes nothing. Anything that is not one well-formed frame is logged and ignored. */
int ChipWrite(ChipModel* chip, const ChipByte* bytes, ChipCount count);

/* Takes the oldest reply byte. Returns 1 with the byte, 0 when no reply is waiting. */
int ChipTakeReply(ChipModel* chip, ChipByte* byte);

/* Drops every reply byte not yet taken (the host purged its receive queue). */
void ChipDropReplies(ChipModel* chip);

/* Makes the chip stop answering after `frames` more frames (0: at once);
 * CHIP_ALWAYS_ANSWERS makes it answer again. */
void ChipMuteAfter(ChipModel* chip, ChipCount frames);

/* Empties the frame log; memory, the mute setting and the frames counted towards it stay. */
void ChipClearLog(ChipModel* chip);

/* The log entry at index, or 0 past the recorded entries. */
const ChipLogEntry* ChipLogAt(const ChipModel* chip, ChipCount index);

int ChipIsLocked(const ChipModel* chip);

#ifdef __cplusplus
}
#endif

#endif
