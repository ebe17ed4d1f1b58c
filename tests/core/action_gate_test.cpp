// The gate between the dialog's actions and its end: one action at a time, and an end asked for
// during an action carried out only once the action is over, with the first request's result.
#include <gtest/gtest.h>

#include "action_gate.h"

namespace {

constexpr int kOk = 1;  // IDOK and IDCANCEL, the results the dialog ends with
constexpr int kCancel = 2;

TEST(ActionGate, OneActionAtATime) {
    ActionGate gate;
    EXPECT_FALSE(gate.Running());
    ASSERT_TRUE(gate.TryBegin());
    EXPECT_TRUE(gate.Running());
    EXPECT_FALSE(gate.TryBegin()) << "a second action while one runs";
    int result = -1;
    EXPECT_FALSE(gate.Finish(result)) << "no end was asked for";
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(gate.Running());
    EXPECT_TRUE(gate.TryBegin()) << "the next action after the first is over";
}

TEST(ActionGate, EndWhileIdleIsAllowedAtOnce) {
    ActionGate gate;
    EXPECT_TRUE(gate.RequestEnd(kCancel));
    EXPECT_FALSE(gate.EndRequested()) << "nothing is put off";
}

TEST(ActionGate, EndDuringAnActionWaitsAndTheFirstRequestDecides) {
    for (int first : {kOk, kCancel}) {
        int second = first == kOk ? kCancel : kOk;
        ActionGate gate;
        ASSERT_TRUE(gate.TryBegin());
        EXPECT_FALSE(gate.RequestEnd(first));
        EXPECT_TRUE(gate.EndRequested());
        EXPECT_FALSE(gate.RequestEnd(second)) << "still put off";
        EXPECT_FALSE(gate.TryBegin()) << "the action still runs";
        int result = -1;
        EXPECT_TRUE(gate.Finish(result));
        EXPECT_EQ(result, first) << "the second request changed the result";
    }
}

}  // namespace
