// One action at a time, and no end of the dialog in the middle of one. An action runs from the
// button press through its questions and the port opening to the end of its job; the job owns
// the dialog's port and pending record from its start until it says it is done. Lives on the
// user-interface thread: the job's only word to it is "done", through the window's queue.
#pragma once

class ActionGate {
public:
    // A new action may start: true, and the gate stays closed until Finish. False while one
    // runs (a click message reaches the dialog even while a question box is open).
    bool TryBegin();
    // The running action is over, with or without a job. True, with the result it was asked to
    // end with, when the dialog was asked to end meanwhile.
    bool Finish(int& endResult);
    // The dialog is asked to end with result: true when it may end now; false when the end is
    // put off until the running action is over.
    bool RequestEnd(int result);
    bool Running() const { return running_; }
    // The dialog was asked to end while the action ran: it should start no job now.
    bool EndRequested() const { return endRequested_; }

private:
    bool running_ = false;
    bool endRequested_ = false;
    int endResult_ = 0;
};
