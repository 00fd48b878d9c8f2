// The clock transfers tell a failed write reply themselves and go on with
// the next report all the same.
#include "iow/rapport.h"
#include "rtc/horloge.h"
#include "tests/support.h"

namespace {

class Transfers : public Bench {
  protected:
    void SetUp() override {
        Bench::SetUp();
        handle = IowKitOpenDevice();
        ASSERT_TRUE(InitI2C(handle));
        clear();
    }
    void TearDown() override {
        IowKitCloseDevice(handle);
        Bench::TearDown();
    }
    IOWKIT_HANDLE handle = nullptr;
    Inputs in = set_inputs(45, 30, 13, 8, 3, 2011);
};

TEST_F(Transfers, SettingWithBothRepliesFailedShowsTwoAlertsAndSendsBothWrites) {
    iowvirt::fail_next_transfers(2);
    InitRTC(handle, in.data());
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::set_failed, msg::set_failed}));
    EXPECT_EQ(written().size(), 2u);
}

TEST_F(Transfers, AFailedStartLeavesNoTransactionForTheSecondWriteToContinue) {
    // The chip never saw its address, so the continuation fails on the bus too.
    iowvirt::fail_next_transfers(1);
    InitRTC(handle, in.data());
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::set_failed, msg::set_failed}));
}

TEST_F(Transfers, OnlyTheFailedHalfOfTheSettingIsTold) {
    iowvirt::fail_next_transfers(1, 1);
    InitRTC(handle, in.data());
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::set_failed}));
    // The time went in, the date did not.
    EXPECT_EQ(iowvirt::get_register(0x01), 0x30);
    EXPECT_EQ(iowvirt::get_register(0x04), 0x01);
}

TEST_F(Transfers, AFailedPointerWriteIsToldUnderItsOwnCaptionAndTheReadStillGoesOut) {
    for (auto lecture : {Lecture_heureRTC, Lecture_dateRTC}) {
        clear();
        iowvirt::fail_next_transfers(1);
        const IowReport reply = lecture(handle);
        EXPECT_EQ(alerts(), (std::vector<Alert>{msg::pointer_failed}));
        EXPECT_EQ(written().size(), 2u);
        EXPECT_EQ(written()[1][0], 0x03);
        // The reply to the read request is the caller's to judge.
        EXPECT_FALSE(en_echec(reply));
    }
}

TEST_F(Transfers, AFailedReadReplyIsHandedBackWithoutAnAlert) {
    iowvirt::fail_next_transfers(1, 1);
    const IowReport reply = Lecture_dateRTC(handle);
    EXPECT_TRUE(en_echec(reply));
    EXPECT_TRUE(alerts().empty());
}

TEST_F(Transfers, WithoutADeviceEveryWriteReplyFails) {
    InitRTC(nullptr, in.data());
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::set_failed, msg::set_failed}));
    clear();
    EXPECT_TRUE(en_echec(Lecture_heureRTC(nullptr)));
    EXPECT_EQ(alerts(), (std::vector<Alert>{msg::pointer_failed}));
}

}  // namespace
