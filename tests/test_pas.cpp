// One simulation step: "init" sets the clock, otherwise "RD" reads it onto
// the outputs; both are levels, looked at anew at every step.
#include <limits>

#include "tests/support.h"

namespace {

class Step : public Bench {
  protected:
    void SetUp() override {
        Bench::SetUp();
        start_quietly();
        set_registers({0x59, 0x07, 0x23, 0x05, 0x31, 0x12, 0x11});
    }
    Outputs out = marked_outputs();
};

TEST_F(Step, ReadingDrivesTheSixOutputs) {
    Inputs in = read_inputs();
    step(in, out);
    EXPECT_EQ(out, (Outputs{59, 7, 23, 31, 12, 11}));
    EXPECT_TRUE(alerts().empty());
    EXPECT_EQ(written().size(), 4u);
    EXPECT_EQ(read().size(), 4u);
}

TEST_F(Step, InitWinsOverReadAndLeavesTheOutputsAlone) {
    Inputs in = set_inputs(1, 2, 3, 4, 5, 2006);
    in[0] = 5.0;  // "RD" high too
    step(in, out);
    EXPECT_EQ(out, marked_outputs());
    EXPECT_EQ(written().size(), 2u);
    EXPECT_EQ(registers(), (std::array<std::uint8_t, 7>{0x01, 0x02, 0x03, 0x00, 0x04, 0x05, 0x06}));
}

TEST_F(Step, HighMeansStrictlyAboveTwoPointFive) {
    for (double level : {2.5, 0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
        Inputs in{level, 0, 0, 0, 0, 0, 0, level};
        step(in, out);
        EXPECT_TRUE(iowvirt::log().empty()) << level;
    }
    Inputs rd{2.5000001, 0, 0, 0, 0, 0, 0, 2.5};
    step(rd, out);
    EXPECT_EQ(written().size(), 4u);
    clear();
    Inputs init{0, 0, 0, 0, 1, 1, 2000, 2.5000001};
    step(init, out);
    EXPECT_EQ(written().size(), 2u);
}

TEST_F(Step, NeitherHighMeansNoTrafficNoAlertNoOutput) {
    Inputs in{};
    step(in, out);
    EXPECT_TRUE(iowvirt::log().empty());
    EXPECT_TRUE(alerts().empty());
    EXPECT_EQ(out, marked_outputs());
}

TEST_F(Step, AFailedTimeReplyLeavesOnlyTheTimeOutputsAlone) {
    iowvirt::fail_next_transfers(1, 1);  // the time's read request
    Inputs in = read_inputs();
    step(in, out);
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::read_failed}));
    EXPECT_EQ(out, (Outputs{kMarker, kMarker, kMarker, 31, 12, 11}));
}

TEST_F(Step, AFailedDateReplyLeavesOnlyTheDateOutputsAlone) {
    iowvirt::fail_next_transfers(1, 3);  // the date's read request
    Inputs in = read_inputs();
    step(in, out);
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::read_failed}));
    EXPECT_EQ(out, (Outputs{59, 7, 23, kMarker, kMarker, kMarker}));
}

TEST_F(Step, ReadingIsRepeatedAtEveryStepWhileRdStaysHigh) {
    Inputs in = read_inputs();
    for (int i = 0; i < 3; ++i) {
        step(in, out);
        advance_ms(1000);
    }
    EXPECT_EQ(written().size(), 12u);
    EXPECT_EQ(out, (Outputs{1, 8, 23, 31, 12, 11}));  // read last two seconds on
}

TEST_F(Step, SettingIsRepeatedAtEveryStepWhileInitStaysHigh) {
    Inputs in = set_inputs(0, 0, 12, 1, 6, 2024);
    for (int i = 0; i < 3; ++i) {
        step(in, out);
        advance_ms(1000);
    }
    EXPECT_EQ(written().size(), 6u);
    EXPECT_EQ(iowvirt::get_register(0x00), 0x01);  // last set a second ago
}

TEST_F(Step, RegisterBitsReachTheOutputsUnmasked) {
    set_registers({0x80, 0x7F, 0xFF, 0x00, 0x1A, 0x00, 0x99});
    Inputs in = read_inputs();
    step(in, out);
    EXPECT_EQ(out, (Outputs{80, 85, 165, 20, 0, 99}));
}

TEST_F(Step, AMissingArrayMakesTheStepDoNothing) {
    Inputs in = read_inputs();
    CCalculate(nullptr, out.data(), nullptr);
    CCalculate(in.data(), nullptr, nullptr);
    CCalculate(nullptr, nullptr, nullptr);
    EXPECT_TRUE(iowvirt::log().empty());
    EXPECT_TRUE(alerts().empty());
    EXPECT_EQ(out, marked_outputs());
}

// With the reply lost, the buffer still holds the read request (03 03 D1):
// taken as data, it would drive 131, 0, 0 onto the outputs.
TEST_F(Step, ALostDataReplyIsAFailedReadNotData) {
    iowvirt::fail_next_reads(1, 1);  // the time's data reply
    Inputs in = read_inputs();
    step(in, out);
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::read_failed}));
    EXPECT_EQ(out, (Outputs{kMarker, kMarker, kMarker, 31, 12, 11}));
}

TEST_F(Step, ALostPointerReplyIsToldAndTheDataStillComes) {
    iowvirt::fail_next_reads(1);
    Inputs in = read_inputs();
    step(in, out);
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::pointer_failed}));
    EXPECT_EQ(out, (Outputs{59, 7, 23, 31, 12, 11}));
}

}  // namespace
