// --count: a batch that needs N verified chips never writes more chips at once than could still
// be needed, so with more boards present than needed no board gets a serial it does not need.
#pragma once

class CountGate {
public:
    explicit CountGate(int count) : count_(count) {}  // 0: no limit

    // True when one more chip may start writing now.
    bool MayStart() const { return count_ == 0 || verified_ + writing_ < count_; }
    void Started() { writing_++; }
    // A started chip ended; verified when it verified.
    void Finished(bool verified);
    // True once the count is reached.
    bool Complete() const { return count_ > 0 && verified_ >= count_; }

private:
    int count_;
    int verified_ = 0;
    int writing_ = 0;
};
