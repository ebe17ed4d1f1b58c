// The hand-over of the port and the pending record to one job at a time, under ThreadSanitizer
// and AddressSanitizer: the real gate, GatherForm and read and write jobs over the simulated
// chip, with a user clicking and closing at random. The dialog itself is Win32-only and the
// sanitizers run only in the host build, so its hand-over is modelled here in a few lines: this
// finds races, leaks and hangs in the core's side of the hand-over, not faults in the dialog's
// own code. Those are the end-to-end tests' (busy_test: no second job, every close waits for the
// job and the port ends closed; the fault matrix: port closed and actions back after every fault).
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
    void HandleOne(std::chrono::milliseconds timeout) {
        std::function<void()> message;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!ready_.wait_for(lock, timeout, [&] { return !messages_.empty(); })) {
                return;
            }
            message = std::move(messages_.front());
            messages_.pop_front();
        }
        message();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> messages_;
};

// The form and the status line as a job reaches them: every call is sent to the user-interface
// thread, which alone touches the controls.
class SentControls : public ConfigForm, public StatusLine {
public:
    SentControls(MessageQueue& queue, MemoryForm& form, std::u16string& status)
        : queue_(queue), form_(form), status_(status) {}
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
    void SetStatus(const char16_t* text) override {
        queue_.Send([&] { status_ = text; });
    }

private:
    MessageQueue& queue_;
    MemoryForm& form_;
    std::u16string& status_;
};

// The dialog's side: the gate decides, the slots are filled on this thread before the job
// starts and emptied by the job before it says it is done.
class ModelDialog {
public:
    explicit ModelDialog(BytePort& device) : device_(device) { FillDefaults(form_); }

    MessageQueue queue;
    int jobsStarted = 0;
    int jobsDone = 0;
    bool ended = false;
    std::u16string status;

    void OnAction(bool write) {
        if (!gate_.TryBegin()) {
            return;
        }
        if (write) {
            GatherForm(form_, *codePage_, pendingRecord_);
        }
        portHandle_ = &device_;
        jobsStarted++;
        jobThread_ = std::thread([this, write] {
            SentControls controls(queue, form_, status);
            if (write) {
                RunWriteJob(*portHandle_, std::move(pendingRecord_), controls);
            } else {
                RunReadJob(*portHandle_, *codePage_, controls, controls);
            }
            portHandle_ = nullptr;  // the port is closed
            queue.Post([this] { OnJobDone(); });
        });
    }
    void OnRestoreDefaults() { FillDefaults(form_); }
    void OnClose() { ended = gate_.RequestEnd(2) || ended; }
    void OnJobDone() {
        jobThread_.join();
        jobsDone++;
        int result = 0;
        ended = gate_.Finish(result) || ended;
    }
    // What must hold once the dialog has ended.
    void ExpectIdle() {
        EXPECT_FALSE(gate_.Running());
        EXPECT_FALSE(jobThread_.joinable());
        EXPECT_EQ(portHandle_, nullptr);
        EXPECT_EQ(pendingRecord_, nullptr);
        EXPECT_EQ(jobsStarted, jobsDone);
    }

private:
    BytePort& device_;
    std::unique_ptr<CodePage> codePage_ = MakeTestCodePage(1252);
    ActionGate gate_;
    BytePort* portHandle_ = nullptr;
    RecordPtr pendingRecord_;
    MemoryForm form_;
    std::thread jobThread_;
};

// One run: a user clicks at random, with random pauses, then closes the window; the
// user-interface thread serves its queue until the dialog ends. A close that waited for its
// job without serving the job's sent messages would never end: the deadline fails the run.
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
            unsigned what = userRandom() % 4;
            if (what < 2) {
                dialog.queue.Post([&dialog, what] { dialog.OnAction(what == 1); });
            } else if (what == 2) {
                dialog.queue.Post([&] { dialog.OnRestoreDefaults(); });
            } else {
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
    EXPECT_EQ(dialog.status.empty(), dialog.jobsStarted == 0) << "every job sets the status";
}

TEST(JobHandOver, RandomClicksAndCloseNeverRaceLeakOrHang) {
    for (unsigned seed = 1; seed <= 60; seed++) {
        RunSession(seed, 40);
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
