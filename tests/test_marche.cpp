// The start and the end of a run: the device opened and switched into I2C
// mode, then switched back and closed, with the user told of each failure.
#include "platform/alerte.h"
#include "tests/support.h"

namespace {

using RunStartStop = Bench;

const Report kEnable{0x01, 0x01, 0, 0, 0, 0, 0, 0};
const Report kDisable{0x01, 0x00, 0, 0, 0, 0, 0, 0};

TEST_F(RunStartStop, WithADeviceTheUserIsToldAndI2cIsSwitchedOn) {
    start();
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::found}));
    EXPECT_EQ(written(), (std::vector<Report>{kEnable}));
    EXPECT_EQ(iowvirt::open_handle_count(), 1u);
}

TEST_F(RunStartStop, TheDetectionIsToldBeforeTheEnableReportGoesOut) {
    static std::size_t reports_at_alert;
    alerte::rediriger([](const char*, const char*) { reports_at_alert = iowvirt::log().size(); });
    reports_at_alert = 99;
    start();
    EXPECT_EQ(reports_at_alert, 0u);
}

// An alert, with the device library's calls made so far: all of them, and
// those on the null handle.
struct Moment {
    Alert alert;
    iowvirt::Calls all, on_null;
    bool operator==(const Moment&) const = default;
};
std::vector<Moment> moments;

void PrintTo(const Moment& moment, std::ostream* os) {
    PrintTo(moment.alert, os);
    *os << " after ";
    iowvirt::PrintTo(moment.all, os);
    *os << ", on the null handle ";
    iowvirt::PrintTo(moment.on_null, os);
}

void record_moment(const char* text, const char* caption) {
    moments.push_back({{text, caption}, iowvirt::calls(), iowvirt::null_handle_calls()});
}

TEST_F(RunStartStop, WithoutADeviceTheStartStillSwitchesI2cOnTheNullHandle) {
    using C = iowvirt::Calls;
    iowvirt::set_open_fails(true);
    moments.clear();
    alerte::rediriger(record_moment);
    start();
    // Open, told; the enable write on the null handle sends nothing, told.
    EXPECT_EQ(moments, (std::vector<Moment>{{msg::not_found, C{1, 0, 0, 0}, C{0, 0, 0, 0}},
                                            {msg::i2c_failed, C{1, 0, 1, 0}, C{0, 0, 1, 0}}}));
    ASSERT_EQ(written(), (std::vector<Report>{kEnable}));
    EXPECT_EQ(iowvirt::log().back().result, 0u);
}

TEST_F(RunStartStop, WithoutADeviceTheStopSwitchesI2cOffThenClosesTheNullHandle) {
    using C = iowvirt::Calls;
    iowvirt::set_open_fails(true);
    start_quietly();
    moments.clear();
    alerte::rediriger(record_moment);
    stop();
    EXPECT_EQ(moments, (std::vector<Moment>{{msg::i2c_failed, C{0, 0, 1, 0}, C{0, 0, 1, 0}}}));
    EXPECT_EQ(iowvirt::null_handle_calls(), (C{0, 1, 1, 0}));
    EXPECT_EQ(iowvirt::calls(), (C{0, 1, 1, 0}));
    EXPECT_EQ(written(), (std::vector<Report>{kDisable}));
}

TEST_F(RunStartStop, AShortEnableWriteIsTold) {
    iowvirt::short_next_writes(1, 7);
    start();
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::found, msg::i2c_failed}));
}

TEST_F(RunStartStop, StopSwitchesI2cOffThenCloses) {
    start_quietly();
    stop();
    EXPECT_TRUE(alerts().empty());
    EXPECT_EQ(written(), (std::vector<Report>{kDisable}));
    EXPECT_EQ(iowvirt::open_handle_count(), 0u);
}

TEST_F(RunStartStop, StopClosesTheDeviceEvenWhenTheDisableFailed) {
    start_quietly();
    iowvirt::short_next_writes(1, 3);
    stop();
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::i2c_failed}));
    EXPECT_EQ(iowvirt::open_handle_count(), 0u);
}

TEST_F(RunStartStop, AfterAStopNothingReachesTheClosedHandle) {
    start_quietly();
    stop();
    Inputs in = read_inputs();
    Outputs out = marked_outputs();
    step(in, out);
    stop();
    EXPECT_EQ(iowvirt::stale_handle_uses(), 0);
    EXPECT_EQ(out, marked_outputs());
    EXPECT_EQ(alerts(),
              (std::vector<Alert>{msg::pointer_failed, msg::read_failed, msg::pointer_failed,
                                  msg::read_failed, msg::i2c_failed}));
}

TEST_F(RunStartStop, ASecondStartWithoutAStopClosesTheFirstDevice) {
    start();
    start();
    EXPECT_EQ(iowvirt::open_handle_count(), 1u);
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::found, msg::found}));
    stop();
    EXPECT_EQ(iowvirt::open_handle_count(), 0u);
    EXPECT_EQ(iowvirt::stale_handle_uses(), 0);
}

TEST_F(RunStartStop, EveryRunOpensTheDeviceAnew) {
    for (int run = 0; run < 3; ++run) {
        start();
        stop();
    }
    EXPECT_EQ(alerts(), (std::vector<Alert>(3, msg::found)));
    EXPECT_EQ(written(),
              (std::vector<Report>{kEnable, kDisable, kEnable, kDisable, kEnable, kDisable}));
}

TEST_F(RunStartStop, ConfigureChangesNothing) {
    int dummy = 42;
    CConfigure(nullptr);
    CConfigure(&dummy);
    start_quietly();
    CConfigure(&dummy);
    EXPECT_TRUE(alerts().empty());
    EXPECT_TRUE(iowvirt::log().empty());
    EXPECT_EQ(dummy, 42);
    EXPECT_EQ(iowvirt::open_handle_count(), 1u);
}

}  // namespace
