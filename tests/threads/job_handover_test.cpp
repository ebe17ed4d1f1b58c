// The dialog's hand-over of its port and pending record to one job at a time, modelled with
// real threads: a user-interface thread serving a message queue, worker threads running the real
// read and write jobs over the simulated chip and reaching the form and status line only
// through "sent" messages, and a user pressing buttons and closing the window at random.
// Built under ThreadSanitizer (races) and AddressSanitizer (records freed once, none leaked).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <random>
#include <thread>

#include "action_gate.h"
#include "chip_port.h"
#include "config_jobs.h"
#include "form_values.h"
#include "memory_form.h"
#include "test_code_page.h"

namespace {

using namespace std::chrono_literals;

// The user-interface thread's queue: posted messages, and sent ones whose sender waits until
// the user-interface thread has handled them, as SendMessage does across threads.
class MessageQueue {
public:
    void Post(std::function<void()> message) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            messages_.push_back(std::move(message));
        }
        ready_.notify_one();
    }
    void Send(const std::function<void()>& message) {
        std::promise<void> handled;
        Post([&] {
            message();
            handled.set_value();
        });
        handled.get_future().wait();
    }
    // Handles one message; false when none came within the time.
    bool HandleOne(std::chrono::milliseconds timeout) {
        std::function<void()> message;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!ready_.wait_for(lock, timeout, [&] { return !messages_.empty(); })) {
                return false;
            }
            message = std::move(messages_.front());
            messages_.pop_front();
        }
        message();
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> messages_;
};

// The form and status line as a job reaches them: every call is a message sent to the
// user-interface thread, which alone touches the controls.
class SentForm : public ConfigForm {
public:
    SentForm(MessageQueue& queue, MemoryForm& form) : queue_(queue), form_(form) {}
    void GetText(FormText which, char* buffer, int size) override {
        queue_.Send([&] { form_.GetText(which, buffer, size); });
    }
    void SetText(FormText which, const char* text) override {
        queue_.Send([&] { form_.SetText(which, text); });
    }
    int IsChecked(FormBox which) override {
        int checked = 0;
        queue_.Send([&] { checked = form_.IsChecked(which); });
        return checked;
    }
    void SetChecked(FormBox which, int checked) override {
        queue_.Send([&] { form_.SetChecked(which, checked); });
    }

private:
    MessageQueue& queue_;
    MemoryForm& form_;
};

class SentStatus : public StatusLine {
public:
    SentStatus(MessageQueue& queue, std::u16string& status) : queue_(queue), status_(status) {}
    void SetStatus(const char16_t* text) override {
        queue_.Send([&] { status_ = text; });
    }

private:
    MessageQueue& queue_;
    std::u16string& status_;
};

// The dialog's side, as the real one does it: the gate decides, the slots are filled on this
// thread before the job starts and emptied by the job before it says it is done.
class ModelDialog {
public:
    explicit ModelDialog(BytePort& device) : device_(device) { FillDefaults(form_); }

    MessageQueue queue;
    int jobsStarted = 0;
    int jobsDone = 0;
    bool ended = false;

    void OnReadConfig() {
        if (!gate_.TryBegin()) {
            return;
        }
        portHandle_ = &device_;
        StartJob([this] { ReadJob(); });
    }
    void OnWriteConfig() {
        if (!gate_.TryBegin()) {
            return;
        }
        GatherForm(form_, *codePage_, pendingRecord_);
        portHandle_ = &device_;
        StartJob([this] { WriteJob(); });
    }
    void OnRestoreDefaults() { FillDefaults(form_); }
    void OnClose() {
        if (gate_.RequestEnd(2)) {
            ended = true;
        }
    }
    void OnJobDone() {
        jobThread_.join();
        jobsDone++;
        int result = 0;
        if (gate_.Finish(result)) {
            ended = true;
        }
    }
    // What must hold once the dialog has ended.
    void ExpectIdle() {
        EXPECT_FALSE(gate_.Running());
        EXPECT_FALSE(jobThread_.joinable());
        EXPECT_EQ(portHandle_, nullptr);
        EXPECT_EQ(pendingRecord_, nullptr);
        EXPECT_EQ(jobsStarted, jobsDone);
    }
    const std::u16string& Status() const { return status_; }

private:
    void StartJob(std::function<void()> job) {
        jobsStarted++;
        jobThread_ = std::thread(std::move(job));
    }
    void ReadJob() {
        SentForm form(queue, form_);
        SentStatus status(queue, status_);
        RunReadJob(*portHandle_, *codePage_, form, status);
        FinishJob();
    }
    void WriteJob() {
        SentStatus status(queue, status_);
        RunWriteJob(*portHandle_, std::move(pendingRecord_), status);
        FinishJob();
    }
    void FinishJob() {
        portHandle_ = nullptr;  // the port is closed
        queue.Post([this] { OnJobDone(); });
    }

    BytePort& device_;
    std::unique_ptr<CodePage> codePage_ = MakeTestCodePage(1252);
    ActionGate gate_;
    BytePort* portHandle_ = nullptr;
    RecordPtr pendingRecord_;
    MemoryForm form_;
    std::u16string status_;
    std::thread jobThread_;
};

bool IsOutcomeText(const std::u16string& text) {
    for (JobOutcome outcome :
         {JobOutcome::ReadOk, JobOutcome::ReadFailed, JobOutcome::WriteOk,
          JobOutcome::WriteUnverified, JobOutcome::WriteLocked, JobOutcome::WriteFailed}) {
        if (text == OutcomeText(outcome))
            return true;
    }
    return false;
}

// One run: a user clicks at random, with random pauses, then closes the window; the
// user-interface thread serves its queue until the dialog ends. A close that waited for its
// job without serving the job's sent messages would never end: the watchdog fails the run.
void RunSession(unsigned seed, int clicks) {
    ChipPort device(0xFF);
    std::mt19937 random(seed);
    // The chip stops answering at some point in some runs, so jobs fail part-way too.
    if (random() % 2)
        ChipMuteAfter(&device.Chip(), random() % 400);
    ModelDialog dialog(device);

    std::thread user([&] {
        std::mt19937 userRandom(seed * 7 + 1);
        for (int i = 0; i < clicks; i++) {
            switch (userRandom() % 4) {
                case 0:
                    dialog.queue.Post([&] { dialog.OnReadConfig(); });
                    break;
                case 1:
                    dialog.queue.Post([&] { dialog.OnWriteConfig(); });
                    break;
                case 2:
                    dialog.queue.Post([&] { dialog.OnRestoreDefaults(); });
                    break;
                default:
                    std::this_thread::sleep_for(std::chrono::microseconds(userRandom() % 300));
            }
        }
        dialog.queue.Post([&] { dialog.OnClose(); });
    });

    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!dialog.ended && std::chrono::steady_clock::now() < deadline) {
        dialog.queue.HandleOne(50ms);
    }
    user.join();
    ASSERT_TRUE(dialog.ended) << "the dialog never ended (seed " << seed << ")";
    dialog.ExpectIdle();
    if (dialog.jobsStarted > 0) {
        EXPECT_TRUE(IsOutcomeText(dialog.Status()));
    }
}

TEST(JobHandOver, RandomClicksAndCloseNeverRaceLeakOrHang) {
    for (unsigned seed = 1; seed <= 60; seed++) {
        RunSession(seed, 40);
        if (HasFatalFailure())
            return;
    }
}

// A close while a job is still reading: the dialog ends only after the job, and never while
// the job still needs the user-interface thread.
TEST(JobHandOver, CloseDuringAJobWaitsForIt) {
    ChipPort device(0x5B);
    ModelDialog dialog(device);
    dialog.queue.Post([&] { dialog.OnReadConfig(); });
    dialog.queue.Post([&] { dialog.OnClose(); });
    dialog.queue.Post([&] { dialog.OnWriteConfig(); });  // refused: the job still runs
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!dialog.ended && std::chrono::steady_clock::now() < deadline) {
        dialog.queue.HandleOne(50ms);
    }
    ASSERT_TRUE(dialog.ended);
    EXPECT_EQ(dialog.jobsStarted, 1);
    EXPECT_EQ(dialog.Status(), u"读取成功");
    dialog.ExpectIdle();
}

}  // namespace
