#include "action_gate.h"

bool ActionGate::TryBegin() {
    if (running_) {
        return false;
    }
    running_ = true;
    return true;
}

bool ActionGate::Finish(int& endResult) {
    running_ = false;
    if (!endRequested_) {
        return false;
    }
    endResult = endResult_;
    return true;
}

bool ActionGate::RequestEnd(int result) {
    if (!running_) {
        return true;
    }
    // The first request decides the result; the action still ends first.
    if (!endRequested_) {
        endRequested_ = true;
        endResult_ = result;
    }
    return false;
}
