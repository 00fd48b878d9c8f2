// Whole runs from arbitrary bytes: start, steps and stop in any order, pin
// values of every kind, and the virtual IOW24's faults. Beyond "no crash, no
// undefined behaviour" it checks that outputs change only from a good reply,
// to its decoded bytes; that every report the block sends has one of the
// IOW24 layouts; and that no closed handle is ever used.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "block/rtc_iow24.h"
#include "platform/alerte.h"
#include "virtual/usb/iowvirt.h"

namespace {

using iowvirt::Report;

std::int64_t now_ms = 0;

void ignore_alert(const char*, const char*) {}

void fail(const char* what) {
    std::fprintf(stderr, "fuzz_step: %s\n", what);
    std::abort();
}

struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t next() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    double value() {
        static constexpr double kPalette[] = {0.0,
                                              2.5,
                                              2.5000001,
                                              5.0,
                                              -1.0,
                                              std::numeric_limits<double>::quiet_NaN(),
                                              1.0e300,
                                              -1.0e300,
                                              59.9,
                                              32767.9,
                                              32768.0,
                                              -32769.0,
                                              2011.0,
                                              1999.0,
                                              255.0,
                                              -32768.5,
                                              160.0,
                                              std::numeric_limits<double>::infinity(),
                                              -std::numeric_limits<double>::infinity(),
                                              99.0,
                                              2099.0,
                                              12.0,
                                              31.0,
                                              23.0};
        const std::uint8_t pick = next();
        if (pick < sizeof kPalette / sizeof kPalette[0]) return kPalette[pick];
        if (pick < 128) return pick - 64;  // small whole numbers, negative ones too
        double raw = 0;
        for (std::size_t i = 0; i < sizeof raw; ++i)
            reinterpret_cast<std::uint8_t*>(&raw)[i] = next();
        return raw;
    }
};

// Independent of the block's own conversions.
std::uint8_t expected_bcd(double pin) {
    std::uint8_t byte = 0;
    if (!std::isnan(pin) && pin < 32768.0 && pin > -32769.0) {
        byte = static_cast<std::uint8_t>(static_cast<long long>(std::trunc(pin)) & 0xFF);
    }
    return static_cast<std::uint8_t>(((byte / 10) * 16 + byte % 10) & 0xFF);
}

bool one_of_the_layouts(const Report& r, const double* in) {
    static const Report kFixed[] = {{0x01, 0x01},
                                    {0x01, 0x00},
                                    {0x02, 0xC2, 0xD0, 0x00},
                                    {0x02, 0xC2, 0xD0, 0x04},
                                    {0x03, 0x03, 0xD1}};
    for (const Report& f : kFixed) {
        if (r == f) return true;
    }
    if (in == nullptr) return false;
    const Report time{
        0x02, 0x86, 0xD0, 0x00, expected_bcd(in[1]), expected_bcd(in[2]), expected_bcd(in[3]),
        0x00};
    const Report date{0x02, 0x43, expected_bcd(in[4]), expected_bcd(in[5]),
                      expected_bcd(in[6] - 2000.0)};
    return r == time || r == date;
}

void check_traffic(const std::vector<iowvirt::LogEntry>& log, const double* in) {
    for (const auto& entry : log) {
        if (entry.direction == iowvirt::Direction::written &&
            !one_of_the_layouts(entry.bytes, in)) {
            fail("a request matches no layout of the IOW24's I2C reports");
        }
    }
}

bool high(double level) { return level > 2.5; }

// What the outputs must be after a step: changed only by a good reply to a
// read request, to the decoded bytes of that reply.
void expect_outputs(const std::vector<iowvirt::LogEntry>& log, const double* in,
                    const double* before, const double* after) {
    double expected[6];
    std::memcpy(expected, before, sizeof expected);
    if (!high(in[7]) && high(in[0])) {
        int half = 0;
        for (std::size_t i = 0; i + 1 < log.size(); ++i) {
            const auto& request = log[i];
            if (request.direction != iowvirt::Direction::written || request.bytes[0] != 0x03)
                continue;
            const auto& reply = log[i + 1];
            if (reply.direction != iowvirt::Direction::read)
                fail("a read request without its read");
            const bool good = reply.result == 8 && (reply.bytes[1] & 0x80) == 0;
            for (int k = 0; k < 3 && good && half < 2; ++k) {
                const std::uint8_t b = reply.bytes[2 + k];
                expected[3 * half + k] = (b >> 4) * 10 + (b & 0x0F);
            }
            ++half;
        }
    } else if (!high(in[7]) && !log.empty()) {
        fail("traffic in a step with neither input high");
    }
    if (std::memcmp(expected, after, sizeof expected) != 0)
        fail("outputs changed other than by a good reply");
    for (int k = 0; k < 6; ++k) {
        if (std::memcmp(&after[k], &before[k], sizeof(double)) != 0 &&
            !(after[k] >= 0 && after[k] <= 165)) {
            fail("an output outside 0-165");
        }
    }
}

void step(Bytes& bytes) {
    double in[8];
    for (double& v : in)
        v = bytes.value();
    double out[6];
    for (double& v : out)
        v = bytes.value();
    double before[6];
    std::memcpy(before, out, sizeof out);
    iowvirt::clear_log();
    CCalculate(in, out, nullptr);
    const auto log = iowvirt::log();
    check_traffic(log, in);
    expect_outputs(log, in, before, out);
}

void arm_fault(Bytes& bytes) {
    const std::uint8_t kind = bytes.next();
    const int count = bytes.next() % 4;
    const int skip = bytes.next() % 8;
    switch (kind % 8) {
        case 0:
            iowvirt::fail_next_transfers(count, skip);
            break;
        case 1:
            iowvirt::short_next_writes(count, bytes.next() % 8, skip);
            break;
        case 2:
            iowvirt::fail_next_reads(count, skip);
            break;
        case 3:
            iowvirt::unplug_on_write(skip);
            break;
        case 4:
            iowvirt::unplug();
            break;
        case 5:
            iowvirt::replug();
            break;
        case 6:
            iowvirt::set_open_fails(count % 2 == 1);
            break;
        default:
            iowvirt::set_chip_connected(count % 2 == 1);
            break;
    }
}

void names(Bytes& bytes) {
    std::uint32_t index = 0;
    for (int i = 0; i < 4; ++i)
        index = index << 8 | bytes.next();
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    (bytes.next() % 2 ? GetInputName : GetOutputName)(index, buffer);
    for (std::size_t i = 5; i < sizeof buffer; ++i) {
        if (buffer[i] != '#') fail("a pin name wrote past 5 bytes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    alerte::rediriger(ignore_alert);
    iowvirt::reset();
    iowvirt::set_read_timeout(std::chrono::milliseconds(0));
    now_ms = 0;
    iowvirt::set_time_source([] { return now_ms; });

    Bytes bytes{data, size};
    while (bytes.size > 0) {
        iowvirt::clear_log();
        const std::uint8_t operation = bytes.next() % 8;
        switch (operation) {
            case 0:
                CSimStart(nullptr, nullptr, nullptr);
                break;
            case 1:
                CSimStop(nullptr, nullptr, nullptr);
                break;
            case 2:
                step(bytes);
                break;
            case 3:
                arm_fault(bytes);
                break;
            case 4:
                iowvirt::set_register(bytes.next(), bytes.next());
                break;
            case 5:
                now_ms += bytes.next() * 977LL + bytes.next() * 86'400'000LL;
                break;
            case 6:
                names(bytes);
                break;
            default:
                CCalculate(nullptr, nullptr, nullptr);
                break;
        }
        // A step checked its own traffic, against its inputs.
        if (operation != 2) check_traffic(iowvirt::log(), nullptr);
        if (iowvirt::stale_handle_uses() != 0) fail("a closed handle was used");
    }
    // Leave no device in the block for the next input.
    CSimStop(nullptr, nullptr, nullptr);
    if (iowvirt::stale_handle_uses() != 0) fail("a closed handle was used");
    return 0;
}
