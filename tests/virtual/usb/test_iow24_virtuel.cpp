// The virtual IOW24 through the device library's four functions, as any
// caller sees it: I2C reports in, replies out, and its failures.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "iow/iowkit.h"
#include "virtual/usb/iowvirt.h"

namespace {

using iowvirt::Report;

class VirtualIow24 : public ::testing::Test {
  protected:
    void SetUp() override {
        iowvirt::reset();
        iowvirt::set_read_timeout(std::chrono::milliseconds(0));
        iowvirt::set_time_source([] { return std::int64_t{0}; });
        handle = IowKitOpenDevice();
        ASSERT_NE(handle, nullptr);
    }
    void TearDown() override { iowvirt::reset(); }

    std::uint32_t write(Report r, IOWKIT_HANDLE h) {
        return IowKitWrite(h, 1, reinterpret_cast<char*>(r.data()), 8);
    }
    std::uint32_t write(Report r) { return write(r, handle); }
    Report read(IOWKIT_HANDLE h, std::uint32_t* count = nullptr) {
        Report r{0xEE, 0x11, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
        const std::uint32_t n = IowKitRead(h, 1, reinterpret_cast<char*>(r.data()), 8);
        if (count != nullptr) *count = n;
        return r;
    }
    Report read() { return read(handle); }
    Report exchange(Report r) {
        EXPECT_EQ(write(r), 8u);
        return read();
    }
    void enable() { ASSERT_EQ(write({0x01, 0x01}), 8u); }

    IOWKIT_HANDLE handle = nullptr;
};

TEST_F(VirtualIow24, TransfersFailUntilI2cIsEnabledAndAfterItIsDisabled) {
    EXPECT_EQ(exchange({0x02, 0xC2, 0xD0, 0x00})[1], 0x80);
    enable();
    EXPECT_EQ(iowvirt::pending_replies(), 0u);  // the mode switch has no reply
    EXPECT_EQ(exchange({0x02, 0xC2, 0xD0, 0x00})[1] & 0x80, 0);
    write({0x01, 0x00});
    EXPECT_EQ(exchange({0x03, 0x01, 0xD1})[1], 0x80);
}

TEST_F(VirtualIow24, WritesSplitOverReportsFormOneTransaction) {
    enable();
    EXPECT_EQ(exchange({0x02, 0x86, 0xD0, 0x00, 0x45, 0x30, 0x13, 0x02}), (Report{0x02, 0x06}));
    EXPECT_EQ(exchange({0x02, 0x43, 0x08, 0x03, 0x11}), (Report{0x02, 0x03}));
    for (std::uint8_t r = 0; r < 7; ++r) {
        EXPECT_EQ(iowvirt::get_register(r),
                  (std::array<std::uint8_t, 7>{0x45, 0x30, 0x13, 0x02, 0x08, 0x03, 0x11}[r]));
    }
    // The stop closed it: a further write without start has nothing to continue.
    EXPECT_EQ(exchange({0x02, 0x41, 0x99})[1], 0x80);
}

TEST_F(VirtualIow24, ReadsBringBytesFromTheRegisterPointerOn) {
    enable();
    for (std::uint8_t r = 0; r < 7; ++r)
        iowvirt::set_register(r, static_cast<std::uint8_t>(0x10 + r));
    exchange({0x02, 0xC2, 0xD0, 0x02});
    EXPECT_EQ(exchange({0x03, 0x03, 0xD1}), (Report{0x03, 0x03, 0x12, 0x13, 0x14, 0, 0, 0}));
    // On from 0x05: month, year, then the control register (0x03 at power-up).
    EXPECT_EQ(exchange({0x03, 0x03, 0xD1}), (Report{0x03, 0x03, 0x15, 0x16, 0x03, 0, 0, 0}));
}

TEST_F(VirtualIow24, NonsenseRequestsFailOnTheBus) {
    enable();
    const Report nonsense[] = {
        {0x02, 0xC0, 0xD0},        // no data byte
        {0x02, 0xC7, 0xD0},        // seven data bytes
        {0x02, 0xCA, 0xD0, 0x00},  // reserved flag bits
        {0x02, 0x42, 0x00, 0x00},  // continues no transaction
        {0x02, 0xC2, 0xA0, 0x00},  // nobody at 0xA0
        {0x02, 0xC2, 0xD1, 0x00},  // a write addressed for reading
        {0x03, 0x00, 0xD1},        // read of nothing
        {0x03, 0x07, 0xD1},        // more than a report holds
        {0x03, 0x03, 0xD0},        // a read addressed for writing
        {0x03, 0x03, 0xA1},        // nobody at 0xA0
    };
    for (const Report& r : nonsense) {
        EXPECT_EQ(exchange(r)[1] & 0x80, 0x80) << int(r[0]) << " " << int(r[1]) << " " << int(r[2]);
    }
}

TEST_F(VirtualIow24, TheNullHandleSendsNothingReadsNothingAndClosesNothing) {
    enable();
    EXPECT_EQ(write({0x02, 0xC2, 0xD0, 0x00}, nullptr), 0u);
    std::uint32_t count = 99;
    EXPECT_EQ(read(nullptr, &count), (Report{0xEE, 0x11, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(count, 0u);
    IowKitCloseDevice(nullptr);
    EXPECT_EQ(iowvirt::open_handle_count(), 1u);
    EXPECT_EQ(iowvirt::pending_replies(), 0u);
}

TEST_F(VirtualIow24, AReadWithNoReplyPendingGivesUpWithAFailedStatus) {
    std::uint32_t count = 99;
    const Report r = read(handle, &count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(r[1] & 0x80, 0x80);
}

TEST_F(VirtualIow24, ArmedFaultsHitTheirCallsInOrderThenClear) {
    enable();
    iowvirt::short_next_writes(1, 5, 1);
    EXPECT_EQ(write({0x02, 0xC2, 0xD0, 0x00}), 8u);
    EXPECT_EQ(write({0x02, 0xC2, 0xD0, 0x00}), 5u);
    EXPECT_EQ(write({0x02, 0xC2, 0xD0, 0x00}), 8u);
    EXPECT_EQ(iowvirt::pending_replies(), 2u);
    iowvirt::fail_next_reads(1);
    std::uint32_t count = 99;
    EXPECT_EQ(read(handle, &count)[0], 0xEE);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(iowvirt::pending_replies(), 1u);  // that reply is lost
    iowvirt::fail_next_transfers(1);
    EXPECT_EQ(read()[1], 0x02);
    EXPECT_EQ(exchange({0x02, 0xC2, 0xD0, 0x00})[1], 0x80);
    EXPECT_EQ(exchange({0x02, 0xC2, 0xD0, 0x00})[1], 0x02);
}

// A reset is a power-up: no fault armed before it, however it was armed,
// strikes after it.
TEST_F(VirtualIow24, NoArmedFaultOutlivesAReset) {
    const std::pair<const char*, void (*)()> armed[] = {
        {"failed transfers", [] { iowvirt::fail_next_transfers(100); }},
        {"short writes", [] { iowvirt::short_next_writes(100, 3); }},
        {"failed reads", [] { iowvirt::fail_next_reads(100); }},
        {"short reads", [] { iowvirt::short_next_reads(100, 3); }},
        {"silent reads", [] { iowvirt::silence_reads(0); }},
        {"stalled opens", [] { iowvirt::stall_opens(true); }},
        {"stalled writes", [] { iowvirt::stall_writes(0); }},
        {"unplug on write", [] { iowvirt::unplug_on_write(0); }},
        {"open fails", [] { iowvirt::set_open_fails(true); }},
    };
    for (const auto& [name, arm] : armed) {
        IowKitCloseDevice(handle);
        arm();
        iowvirt::reset();
        iowvirt::set_read_timeout(std::chrono::milliseconds(0));
        handle = IowKitOpenDevice();
        ASSERT_NE(handle, nullptr) << name;
        EXPECT_EQ(write(Report{0x01, 0x01}), 8u) << name;
        std::uint32_t count = 0;
        EXPECT_EQ(write(Report{0x02, 0xC2, 0xD0, 0x00}), 8u) << name;
        const Report reply = read(handle, &count);
        EXPECT_EQ(count, 8u) << name;
        EXPECT_EQ(reply[1] & 0x80, 0) << name;
    }
}

TEST_F(VirtualIow24, UnpluggingKillsTheHandleAndAReplugNeedsANewOpen) {
    enable();
    iowvirt::unplug();
    EXPECT_EQ(write({0x02, 0xC2, 0xD0, 0x00}), 0u);
    EXPECT_EQ(IowKitOpenDevice(), nullptr);
    iowvirt::replug();
    EXPECT_EQ(write({0x02, 0xC2, 0xD0, 0x00}), 0u);
    IowKitCloseDevice(handle);
    handle = IowKitOpenDevice();
    ASSERT_NE(handle, nullptr);
    // The device came back with its I2C function off.
    EXPECT_EQ(exchange({0x02, 0xC2, 0xD0, 0x00})[1], 0x80);
    EXPECT_EQ(iowvirt::stale_handle_uses(), 0);
}

TEST_F(VirtualIow24, AClosedHandleIsDeadAndItsUseIsCounted) {
    IowKitCloseDevice(handle);
    EXPECT_EQ(write({0x01, 0x01}), 0u);
    IowKitCloseDevice(handle);
    EXPECT_EQ(iowvirt::stale_handle_uses(), 2);
    EXPECT_NE(IowKitOpenDevice(), handle);
}

TEST_F(VirtualIow24, TheLogHoldsEveryReportBothWays) {
    enable();
    exchange({0x02, 0xC2, 0xD0, 0x00});
    const auto log = iowvirt::log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].direction, iowvirt::Direction::written);
    EXPECT_EQ(log[0].bytes, (Report{0x01, 0x01}));
    EXPECT_EQ(log[1].bytes, (Report{0x02, 0xC2, 0xD0, 0x00}));
    EXPECT_EQ(log[2].direction, iowvirt::Direction::read);
    EXPECT_EQ(log[2].bytes, (Report{0x02, 0x02}));
    EXPECT_EQ(log[2].result, 8u);
}

TEST_F(VirtualIow24, OnlyWholeReportsOnPipeOneAreTaken) {
    enable();
    char bytes[8] = {0x02, static_cast<char>(0xC2), static_cast<char>(0xD0), 0};
    EXPECT_EQ(IowKitWrite(handle, 0, bytes, 8), 0u);
    EXPECT_EQ(IowKitWrite(handle, 1, bytes, 7), 0u);
    EXPECT_EQ(IowKitWrite(handle, 1, nullptr, 8), 0u);
    EXPECT_EQ(iowvirt::pending_replies(), 0u);
}

// Calls the vendor's library can block in: they return only when the stall
// ends or the device is reset.
TEST_F(VirtualIow24, StalledOpensAndWritesReturnOnlyWhenReleased) {
    iowvirt::stall_writes(1);
    enable();
    std::atomic<bool> returned{false};
    std::thread writer([&] {
        write({0x02, 0xC2, 0xD0, 0x00});
        returned = true;
    });
    while (iowvirt::calls().write < 2)
        std::this_thread::yield();
    EXPECT_FALSE(returned);
    iowvirt::stall_writes(-1);
    writer.join();
    EXPECT_EQ(write({0x02, 0xC2, 0xD0, 0x00}), 8u);

    IowKitCloseDevice(handle);
    iowvirt::stall_opens(true);
    std::atomic<IOWKIT_HANDLE> opened{reinterpret_cast<IOWKIT_HANDLE>(1)};
    std::thread opener([&] { opened = IowKitOpenDevice(); });
    while (iowvirt::calls().open < 2)
        std::this_thread::yield();
    iowvirt::reset();
    opener.join();
    EXPECT_EQ(opened.load(), nullptr);
    handle = IowKitOpenDevice();
    EXPECT_NE(handle, nullptr);
}

}  // namespace
