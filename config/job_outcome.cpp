#include "job_outcome.h"

const char16_t* OutcomeText(JobOutcome outcome) {
    switch (outcome) {
        case JobOutcome::ReadOk:
            return u"读取成功";
        case JobOutcome::ReadFailed:
            return u"读取失败请重试";
        case JobOutcome::WriteOk:
            return u"写入成功";
        case JobOutcome::WriteUnverified:
            return u"写入成功但未校验，建议重新读取看是否写入成功";
        case JobOutcome::WriteLocked:
            return u"芯片已开启写保护，写入失败";
        case JobOutcome::WriteFailed:
            return u"写入失败请重试";
    }
    return u"";
}
