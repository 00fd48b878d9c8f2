// Every fault at every exchange of every transfer: the alerts the user sees,
// in order, which outputs were written, and that once the fault is gone the
// next step works again.
#include "tests/support.h"

namespace {

enum class Phase { start, set, read, stop };
enum class Fault { failed_status, short_write, read_zero, short_read, unplugged };

struct Case {
    const char* name;
    Phase phase;
    Fault fault;
    int exchange;  // within the phase: its n-th write report and reply
    std::vector<Alert> alerts;
    std::array<bool, 6> written;  // outputs a read step wrote
    std::uint32_t bytes = 7;      // a short read's count
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const std::array<bool, 6> kNone{};
const std::array<bool, 6> kAll{true, true, true, true, true, true};
const std::array<bool, 6> kTime{true, true, true, false, false, false};
const std::array<bool, 6> kDate{false, false, false, true, true, true};
const Alert kNotFound = msg::not_found, kFound = msg::found, kI2c = msg::i2c_failed,
            kSet = msg::set_failed, kPointer = msg::pointer_failed, kRead = msg::read_failed;

const Case kCases[] = {
    {"start_enable_short", Phase::start, Fault::short_write, 0, {kFound, kI2c}, kNone},
    {"start_unplugged", Phase::start, Fault::unplugged, 0, {kNotFound, kI2c}, kNone},

    {"set_first_status", Phase::set, Fault::failed_status, 0, {kSet, kSet}, kNone},
    {"set_second_status", Phase::set, Fault::failed_status, 1, {kSet}, kNone},
    {"set_first_short", Phase::set, Fault::short_write, 0, {kSet, kSet}, kNone},
    {"set_second_short", Phase::set, Fault::short_write, 1, {kSet}, kNone},
    {"set_first_read_zero", Phase::set, Fault::read_zero, 0, {kSet}, kNone},
    {"set_second_read_zero", Phase::set, Fault::read_zero, 1, {kSet}, kNone},
    {"set_first_short_read", Phase::set, Fault::short_read, 0, {kSet}, kNone, 1},
    {"set_second_short_read", Phase::set, Fault::short_read, 1, {kSet}, kNone, 7},
    {"set_first_unplugged", Phase::set, Fault::unplugged, 0, {kSet, kSet}, kNone},
    {"set_second_unplugged", Phase::set, Fault::unplugged, 1, {kSet}, kNone},

    {"time_pointer_status", Phase::read, Fault::failed_status, 0, {kPointer}, kAll},
    {"time_data_status", Phase::read, Fault::failed_status, 1, {kRead}, kDate},
    {"date_pointer_status", Phase::read, Fault::failed_status, 2, {kPointer}, kAll},
    {"date_data_status", Phase::read, Fault::failed_status, 3, {kRead}, kTime},
    {"time_pointer_short", Phase::read, Fault::short_write, 0, {kPointer}, kAll},
    {"time_data_short", Phase::read, Fault::short_write, 1, {kRead}, kDate},
    {"date_pointer_short", Phase::read, Fault::short_write, 2, {kPointer}, kAll},
    {"date_data_short", Phase::read, Fault::short_write, 3, {kRead}, kTime},
    {"time_pointer_read_zero", Phase::read, Fault::read_zero, 0, {kPointer}, kAll},
    {"time_data_read_zero", Phase::read, Fault::read_zero, 1, {kRead}, kDate},
    {"date_pointer_read_zero", Phase::read, Fault::read_zero, 2, {kPointer}, kAll},
    {"date_data_read_zero", Phase::read, Fault::read_zero, 3, {kRead}, kTime},
    // A reply that stops short is no reply, however much of it came.
    {"time_pointer_short_read", Phase::read, Fault::short_read, 0, {kPointer}, kAll, 7},
    {"time_data_short_read", Phase::read, Fault::short_read, 1, {kRead}, kDate, 7},
    {"date_pointer_short_read", Phase::read, Fault::short_read, 2, {kPointer}, kAll, 2},
    {"date_data_short_read", Phase::read, Fault::short_read, 3, {kRead}, kTime, 5},
    {"time_pointer_unplugged",
     Phase::read,
     Fault::unplugged,
     0,
     {kPointer, kRead, kPointer, kRead},
     kNone},
    {"time_data_unplugged", Phase::read, Fault::unplugged, 1, {kRead, kPointer, kRead}, kNone},
    {"date_pointer_unplugged", Phase::read, Fault::unplugged, 2, {kPointer, kRead}, kTime},
    {"date_data_unplugged", Phase::read, Fault::unplugged, 3, {kRead}, kTime},

    {"stop_disable_short", Phase::stop, Fault::short_write, 0, {kI2c}, kNone},
    {"stop_unplugged", Phase::stop, Fault::unplugged, 0, {kI2c}, kNone},
};

class FaultMatrix : public Bench, public ::testing::WithParamInterface<Case> {
  protected:
    static constexpr std::array<std::uint8_t, 7> kRegisters{0x45, 0x30, 0x13, 0x02,
                                                            0x08, 0x03, 0x11};
    static constexpr Outputs kClock{45, 30, 13, 8, 3, 11};

    void arm(const Case& c) {
        switch (c.fault) {
            case Fault::failed_status:
                iowvirt::fail_next_transfers(1, c.exchange);
                break;
            case Fault::short_write:
                iowvirt::short_next_writes(1, 7, c.exchange);
                break;
            case Fault::read_zero:
                iowvirt::fail_next_reads(1, c.exchange);
                break;
            case Fault::short_read:
                iowvirt::short_next_reads(1, c.bytes, c.exchange);
                break;
            case Fault::unplugged:
                if (c.phase == Phase::start) {
                    iowvirt::unplug();
                } else {
                    iowvirt::unplug_on_write(c.exchange);
                }
                break;
        }
    }

    // The fault is gone: an unplugged device is back, and needs a new run.
    void recover(const Case& c) {
        if (c.fault == Fault::unplugged) iowvirt::replug();
        if (c.fault == Fault::unplugged || c.phase == Phase::stop || c.phase == Phase::start) {
            stop();
            start();
        }
    }
};

TEST_P(FaultMatrix, AlertsOutputsAndRecovery) {
    const Case& c = GetParam();
    Outputs out = marked_outputs();
    if (c.phase != Phase::start) start_quietly();
    set_registers(kRegisters);
    arm(c);
    Inputs set = set_inputs(1, 2, 3, 4, 5, 2006);
    Inputs rd = read_inputs();
    switch (c.phase) {
        case Phase::start:
            start();
            break;
        case Phase::set:
            step(set, out);
            break;
        case Phase::read:
            step(rd, out);
            break;
        case Phase::stop:
            stop();
            EXPECT_EQ(iowvirt::open_handle_count(), 0u);
            break;
    }
    EXPECT_EQ(alerts(), c.alerts);
    for (std::size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i] != kMarker, c.written[i]) << "output " << i;
    }

    recover(c);
    set_registers(kRegisters);
    clear();
    out = marked_outputs();
    step(rd, out);
    EXPECT_EQ(out, kClock);
    EXPECT_TRUE(alerts().empty());
    EXPECT_EQ(iowvirt::stale_handle_uses(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryExchange, FaultMatrix, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
