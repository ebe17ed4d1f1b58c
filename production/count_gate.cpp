#include "count_gate.h"

void CountGate::Finished(bool verified) {
    writing_--;
    verified_ += verified ? 1 : 0;
}
