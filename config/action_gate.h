// One action at a time, and no end of the dialog while an action's job runs. The job owns the
// dialog's port and pending record from its start until it says it is done, so the dialog may
// start another action, or end, only after that. Lives on the user-interface thread: the job's
// only word to it is "done", through the window's message queue.
#pragma once

class ActionGate {
public:
    // A new action may start: true, and the gate is closed until Finish. False while a job runs.
    bool TryBegin();
    // The job could not be started after all; the gate opens again.
    void Abandon();
    // The running job said it is done. True, with the result it was asked to end with, when the
    // dialog was asked to end meanwhile.
    bool Finish(int& endResult);
    // The dialog is asked to end with result: true when it may end now; false when the end is
    // put off until the running job is done.
    bool RequestEnd(int result);
    bool Running() const { return running_; }

private:
    bool running_ = false;
    bool endRequested_ = false;
    int endResult_ = 0;
};
