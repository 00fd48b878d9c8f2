// Pin values of every kind, through whole steps with "init" high: the exact
// reports that reach the IOW24. The year has 2000 taken off before anything
// else; a value is truncated toward zero, anything outside the signed 16-bit
// range (NaN and the infinities too) stands as -32768, and the low byte of
// that goes through the BCD conversion.
#include <limits>

#include "tests/support.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Written {
    double value;
    std::uint8_t byte;
};

using PinValues = Bench;

// The two reports of one "init" step, with 45:30:13 on 08/03 except for the
// field under test.
std::vector<Report> set_reports(std::uint8_t sec, std::uint8_t year) {
    return {{0x02, 0x86, 0xD0, 0x00, sec, 0x30, 0x13, 0x00},
            {0x02, 0x43, 0x08, 0x03, year, 0x00, 0x00, 0x00}};
}

TEST_F(PinValues, TheYearAndTheSecondsReachTheChipAsTheRuleSays) {
    const Written years[] = {
        {kNaN, 0x00}, {kInf, 0x00},  {-kInf, 0x00}, {1999.5, 0x00}, {1999, 0x95},
        {2000, 0x00}, {2011, 0x11},  {2099, 0x99},  {2100, 0xA0},   {2255, 0x95},
        {2256, 0x00}, {34767, 0x95}, {34768, 0x00}, {-30768, 0x00}, {-30769, 0x00},
    };
    const Written seconds[] = {
        {kNaN, 0x00},  {kInf, 0x00},   {-kInf, 0x00},  {59.9, 0x59}, {-0.5, 0x00},
        {-1, 0x95},    {100, 0xA0},    {159, 0xF9},    {160, 0x00},  {255, 0x95},
        {256, 0x00},   {300, 0x44},    {1999.5, 0x47}, {2000, 0x48}, {32767.9, 0x95},
        {32768, 0x00}, {-32768, 0x00}, {-32769, 0x00}, {1e6, 0x00},
    };
    start_quietly();
    Outputs out = marked_outputs();
    for (const Written& year : years) {
        clear();
        Inputs in = set_inputs(45, 30, 13, 8, 3, year.value);
        step(in, out);
        EXPECT_EQ(written(), set_reports(0x45, year.byte)) << "year " << year.value;
    }
    for (const Written& second : seconds) {
        clear();
        Inputs in = set_inputs(second.value, 30, 13, 8, 3, 2011);
        step(in, out);
        EXPECT_EQ(written(), set_reports(second.byte, 0x11)) << "seconds " << second.value;
    }
    EXPECT_TRUE(alerts().empty());
    EXPECT_EQ(out, marked_outputs());
}

}  // namespace
