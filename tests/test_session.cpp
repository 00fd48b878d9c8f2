// Whole runs as a host drives them, against the virtual IOW24 and its clock.
#include "tests/support.h"

namespace {

using Session = Bench;

TEST_F(Session, SetTheClockThenReadItRunAcrossTheYearEnd) {
    start();
    Outputs out = marked_outputs();
    Inputs set = set_inputs(58, 59, 23, 31, 12, 2011);
    step(set, out);
    EXPECT_EQ(out, marked_outputs());

    Inputs rd = read_inputs();
    const Outputs expected[] = {{58, 59, 23, 31, 12, 11},
                                {59, 59, 23, 31, 12, 11},
                                {0, 0, 0, 1, 1, 12},
                                {1, 0, 0, 1, 1, 12}};
    for (const Outputs& now : expected) {
        step(rd, out);
        EXPECT_EQ(out, now);
        advance_ms(1000);
    }
    stop();
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::found}));
}

TEST_F(Session, StepsBetweenWholeSecondsReadTheSameTime) {
    start_quietly();
    Outputs out = marked_outputs();
    Inputs set = set_inputs(0, 0, 12, 29, 2, 2024);
    step(set, out);
    Inputs rd = read_inputs();
    advance_ms(999);
    step(rd, out);
    EXPECT_EQ(out, (Outputs{0, 0, 12, 29, 2, 24}));
    advance_ms(1);
    step(rd, out);
    EXPECT_EQ(out, (Outputs{1, 0, 12, 29, 2, 24}));
    advance_ms(12 * 3600 * 1000);
    step(rd, out);
    EXPECT_EQ(out, (Outputs{1, 0, 0, 1, 3, 24}));
}

// An hours input of 40 to 79 sets bit 6 of the hours register: the chip
// then counts in 12-hour mode, and the outputs show its bytes as they are.
TEST_F(Session, AClockSetInTwelveHourModeCountsAsTheChipDoes) {
    start_quietly();
    Outputs out = marked_outputs();
    Inputs set = set_inputs(59, 59, 71, 31, 12, 2011);  // 11:59:59 PM
    step(set, out);
    advance_ms(1000);
    Inputs rd = read_inputs();
    step(rd, out);
    EXPECT_EQ(out, (Outputs{0, 0, 52, 1, 1, 12}));  // 12 AM, the next day
    advance_ms(3600 * 1000);
    step(rd, out);
    EXPECT_EQ(out, (Outputs{0, 0, 41, 1, 1, 12}));  // 1 AM
    EXPECT_TRUE(alerts().empty());
}

TEST_F(Session, WithoutADeviceEveryFailureIsToldAndNoOutputIsWritten) {
    iowvirt::set_open_fails(true);
    Outputs out = marked_outputs();
    Inputs rd = read_inputs();
    Inputs set = set_inputs(1, 2, 3, 4, 5, 2006);
    start();
    step(rd, out);
    step(set, out);
    step(rd, out);
    stop();
    EXPECT_EQ(out, marked_outputs());
    const std::vector<Alert> one_read{msg::pointer_failed, msg::read_failed, msg::pointer_failed,
                                      msg::read_failed};
    std::vector<Alert> expected{msg::not_found, msg::i2c_failed};
    expected.insert(expected.end(), one_read.begin(), one_read.end());
    expected.insert(expected.end(), {msg::set_failed, msg::set_failed});
    expected.insert(expected.end(), one_read.begin(), one_read.end());
    expected.push_back(msg::i2c_failed);
    EXPECT_EQ(alerts(), expected);
    // The clock chip saw nothing.
    EXPECT_EQ(iowvirt::get_register(0x00), 0x80);
}

TEST_F(Session, AnUnpluggedDeviceFailsEveryStepUntilTheNextRun) {
    start_quietly();
    Outputs out = marked_outputs();
    Inputs rd = read_inputs();
    iowvirt::unplug();
    step(rd, out);
    EXPECT_EQ(out, marked_outputs());
    EXPECT_EQ(alerts().size(), 4u);
    iowvirt::replug();
    step(rd, out);
    EXPECT_EQ(out, marked_outputs());
    stop();

    clear();
    start();
    set_registers({0x30, 0x20, 0x10, 0x01, 0x15, 0x06, 0x26});
    step(rd, out);
    EXPECT_EQ(out, (Outputs{30, 20, 10, 15, 6, 26}));
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::found}));
    EXPECT_EQ(iowvirt::stale_handle_uses(), 0);
}

}  // namespace
