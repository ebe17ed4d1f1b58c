#include "chip_model.h"

static void FillBytes(ChipByte* dest, ChipByte value, ChipCount count) {
    ChipCount i;
    for (i = 0; i < count; i++) {
        dest[i] = value;
    }
}

void ChipInit(ChipModel* chip, ChipByte fill) {
    FillBytes((ChipByte*)chip, 0, (ChipCount)sizeof(*chip));
    FillBytes(chip->memory, fill, CHIP_MEMORY_SIZE);
    chip->muteAfter = CHIP_ALWAYS_ANSWERS;
}

static void Log(ChipModel* chip, ChipByte kind, const ChipByte* bytes, ChipCount count,
                ChipByte value) {
    if (chip->logTotal < CHIP_LOG_CAPACITY) {
        ChipLogEntry* entry = &chip->log[chip->logTotal];
        entry->kind = kind;
        entry->command = count > 1 ? bytes[1] : 0;
        entry->address = count > 2 ? bytes[2] : 0;
        entry->value = value;
    }
    chip->logTotal++;
}

static int IsFrame(const ChipByte* bytes, ChipCount count) {
    return count == CHIP_FRAME_SIZE && bytes[0] == CHIP_FRAME_LEAD &&
           (bytes[1] == CHIP_FRAME_WRITE || bytes[1] == CHIP_FRAME_READ) &&
           bytes[2] < CHIP_MEMORY_SIZE;
}

static void QueueReply(ChipModel* chip, ChipByte value) {
    ChipCount tail;
    if (chip->replyCount == CHIP_REPLY_QUEUE_SIZE) {
        /* A host that never reads its replies loses the oldest, like an overrun queue. */
        chip->replyHead = (chip->replyHead + 1) % CHIP_REPLY_QUEUE_SIZE;
        chip->replyCount--;
    }
    tail = (chip->replyHead + chip->replyCount) % CHIP_REPLY_QUEUE_SIZE;
    chip->replies[tail] = value;
    chip->replyCount++;
}

int ChipWrite(ChipModel* chip, const ChipByte* bytes, ChipCount count) {
    ChipByte address;
    if (!IsFrame(bytes, count)) {
        Log(chip, CHIP_LOG_BAD, bytes, count, count > 3 ? bytes[3] : 0);
        return 1;
    }
    address = bytes[2];
    if (chip->framesAnswered >= chip->muteAfter) {
        Log(chip, CHIP_LOG_MUTE, bytes, count, bytes[3]);
        /* A read frame goes out and simply gets no reply; a write frame is not taken. */
        return bytes[1] == CHIP_FRAME_READ;
    }
    chip->framesAnswered++;
    if (bytes[1] == CHIP_FRAME_READ) {
        QueueReply(chip, chip->memory[address]);
        Log(chip, CHIP_LOG_READ, bytes, count, chip->memory[address]);
        return 1;
    }
    if (ChipIsLocked(chip)) {
        Log(chip, CHIP_LOG_LOCKED, bytes, count, bytes[3]);
        return 1;
    }
    chip->memory[address] = bytes[3];
    Log(chip, CHIP_LOG_WRITE, bytes, count, bytes[3]);
    return 1;
}

int ChipTakeReply(ChipModel* chip, ChipByte* byte) {
    if (chip->replyCount == 0) {
        return 0;
    }
    *byte = chip->replies[chip->replyHead];
    chip->replyHead = (chip->replyHead + 1) % CHIP_REPLY_QUEUE_SIZE;
    chip->replyCount--;
    return 1;
}

void ChipDropReplies(ChipModel* chip) {
    chip->replyHead = 0;
    chip->replyCount = 0;
}

void ChipMuteAfter(ChipModel* chip, ChipCount frames) {
    chip->framesAnswered = 0;
    chip->muteAfter = frames;
}

void ChipClearLog(ChipModel* chip) {
    chip->logTotal = 0;
}

const ChipLogEntry* ChipLogAt(const ChipModel* chip, ChipCount index) {
    if (index >= chip->logTotal || index >= CHIP_LOG_CAPACITY) {
        return 0;
    }
    return &chip->log[index];
}

int ChipIsLocked(const ChipModel* chip) {
    return chip->memory[CHIP_LOCK_ADDRESS] == CHIP_LOCK_VALUE;
}
