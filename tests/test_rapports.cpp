// The exact 8-byte reports the block sends, and how it reads the replies.
#include "iow/rapport.h"
#include "rtc/horloge.h"
#include "tests/support.h"

namespace {

class Reports : public Bench {
  protected:
    void SetUp() override {
        Bench::SetUp();
        handle = IowKitOpenDevice();
        ASSERT_NE(handle, nullptr);
        ASSERT_TRUE(InitI2C(handle));
        clear();
    }
    void TearDown() override {
        IowKitCloseDevice(handle);
        Bench::TearDown();
    }
    IOWKIT_HANDLE handle = nullptr;
};

TEST_F(Reports, ModeSwitchesAreExactAndExpectNoReply) {
    EXPECT_TRUE(InitI2C(handle));
    EXPECT_TRUE(CloseI2C(handle));
    EXPECT_EQ(written(), (std::vector<Report>{{0x01, 0x01, 0, 0, 0, 0, 0, 0},
                                              {0x01, 0x00, 0, 0, 0, 0, 0, 0}}));
    EXPECT_TRUE(read().empty());
}

TEST_F(Reports, AModeSwitchThatIsNotWhollyWrittenFails) {
    iowvirt::short_next_writes(1, 7);
    EXPECT_FALSE(InitI2C(handle));
    iowvirt::short_next_writes(1, 0);
    EXPECT_FALSE(CloseI2C(handle));
    EXPECT_FALSE(InitI2C(nullptr));
    EXPECT_FALSE(CloseI2C(nullptr));
}

TEST_F(Reports, SettingTheClockIsOneTransactionOverTwoWrites) {
    Inputs in = set_inputs(45, 30, 13, 8, 3, 2011);
    InitRTC(handle, in.data());
    EXPECT_EQ(written(), (std::vector<Report>{{0x02, 0x86, 0xD0, 0x00, 0x45, 0x30, 0x13, 0x00},
                                              {0x02, 0x43, 0x08, 0x03, 0x11, 0x00, 0x00, 0x00}}));
    EXPECT_EQ(read().size(), 2u);
    EXPECT_TRUE(alerts().empty());
}

TEST_F(Reports, PinValuesAreTruncatedAndTheYearTakenWithinTheCentury) {
    Inputs in = set_inputs(59.9, 0, 23.99, 31, 12, 1999);
    InitRTC(handle, in.data());
    const auto w = written();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0][4], 0x59);
    EXPECT_EQ(w[0][6], 0x23);
    EXPECT_EQ(w[1][4], 0x95);  // 1999 - 2000 = -1, byte 255

    clear();
    in = set_inputs(0, 0, 0, 1, 1, 2000);
    InitRTC(handle, in.data());
    EXPECT_EQ(written()[1][4], 0x00);
}

TEST_F(Reports, ReadingTheTimeSetsThePointerThenAsksForThreeBytes) {
    set_registers({0x45, 0x30, 0x13, 0x02, 0x08, 0x03, 0x11});
    const IowReport reply = Lecture_heureRTC(handle);
    EXPECT_EQ(written(), (std::vector<Report>{{0x02, 0xC2, 0xD0, 0x00, 0, 0, 0, 0},
                                              {0x03, 0x03, 0xD1, 0x00, 0, 0, 0, 0}}));
    EXPECT_EQ(reply[0], 0x03);
    EXPECT_FALSE(en_echec(reply));
    EXPECT_EQ(reply[2], 0x45);
    EXPECT_EQ(reply[3], 0x30);
    EXPECT_EQ(reply[4], 0x13);
}

TEST_F(Reports, ReadingTheDateStartsAtRegisterFour) {
    set_registers({0x45, 0x30, 0x13, 0x02, 0x08, 0x03, 0x11});
    const IowReport reply = Lecture_dateRTC(handle);
    EXPECT_EQ(written(), (std::vector<Report>{{0x02, 0xC2, 0xD0, 0x04, 0, 0, 0, 0},
                                              {0x03, 0x03, 0xD1, 0x00, 0, 0, 0, 0}}));
    EXPECT_EQ(reply[2], 0x08);
    EXPECT_EQ(reply[3], 0x03);
    EXPECT_EQ(reply[4], 0x11);
}

TEST_F(Reports, TheReplyCarriesTheRegistersWithNoBitMasked) {
    // Clock halted with 59 seconds beneath the halt bit; bytes that are no BCD.
    set_registers({0xD9, 0xFF, 0x7F, 0x00, 0xFF, 0xFF, 0xFF});
    const IowReport time = Lecture_heureRTC(handle);
    EXPECT_EQ((std::array<std::uint8_t, 3>{time[2], time[3], time[4]}),
              (std::array<std::uint8_t, 3>{0xD9, 0xFF, 0x7F}));
}

TEST(Status, OnlyBitSevenOfByteOneCounts) {
    EXPECT_TRUE(en_echec(IowReport{0x00, 0x80}));
    EXPECT_TRUE(en_echec(IowReport{0x55, 0xFF}));
    EXPECT_FALSE(en_echec(IowReport{0x03, 0x7F}));
    EXPECT_FALSE(en_echec(IowReport{0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

// A read that does not bring a whole report back must not leave the request
// in the buffer looking like a good reply.
TEST_F(Reports, AReadThatReturnsNothingIsAFailedTransfer) {
    IowReport rapport = lecture_i2c(3, 0xD1);
    iowvirt::fail_next_reads(1);
    echange(handle, rapport);
    EXPECT_TRUE(en_echec(rapport));
}

TEST_F(Reports, AnExchangeOnTheNullHandleFails) {
    IowReport rapport = ecriture_i2c(DRAPEAU_START | DRAPEAU_STOP, {0xD0, 0x00});
    echange(nullptr, rapport);
    EXPECT_TRUE(en_echec(rapport));
}

}  // namespace
