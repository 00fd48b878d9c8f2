#include "tests/virtual/pile/programmes_virtuels.h"

#include <array>
#include <cstdlib>
#include <mutex>

#include "virtual/carte/i2c.h"
#include "virtual/usb/device.h"

namespace pile_modele {

namespace {

using Bytes = std::array<std::uint8_t, iowvirt::kReportSize>;

constexpr std::uint8_t kChipWrite = 0xD0, kChipRead = 0xD1, kSecondsRegister = 0x00;
constexpr std::uint8_t kHaltBit = 0x80, kHourMask = 0x3F, kSecondsMask = 0x7F;
constexpr std::int64_t kSecondsPerDay = 86'400;

std::uint8_t bcd(std::int64_t value) {
    return static_cast<std::uint8_t>(value / 10 * 16 + value % 10);
}
std::int64_t from_bcd(std::uint8_t value) { return value / 16 * 10 + value % 16; }

// Days from 2000-01-01 to a date of this century (proleptic Gregorian).
std::int64_t days_from_2000(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2;
    const std::int64_t era = year / 400;
    const std::int64_t yoe = year - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 730425;
}

// The date of a day counted from 2000-01-01.
void date_of(std::int64_t days, std::int64_t& year, std::int64_t& month, std::int64_t& day) {
    days += 730425;
    const std::int64_t era = days / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = yoe + era * 400 + (month <= 2);
}

}  // namespace

struct Programs::Running {
    iowvirt::Device device;
    IOWKIT_HANDLE handle = nullptr;

    // A report written, and the reply it brings, if any.
    Bytes send(Bytes report, bool replied) {
        std::unique_lock<std::mutex> lock(device.mutex);
        device.write(lock, handle, iowvirt::kSpecialModePipe,
                     reinterpret_cast<char*>(report.data()), iowvirt::kReportSize);
        Bytes reply{};
        if (replied)
            device.read(lock, handle, iowvirt::kSpecialModePipe,
                        reinterpret_cast<char*>(reply.data()), iowvirt::kReportSize);
        return reply;
    }
};

Programs::Programs(const std::string& state_path, std::function<std::int64_t()> pc)
    : state_path_(state_path), pc_(std::move(pc)) {}

Programs::~Programs() {
    while (!devices_.empty())
        exit(0);
}

void Programs::launch() {
    ::setenv("IOWVIRT_STATE", state_path_.c_str(), 1);
    ::setenv("IOWVIRT_EXERCICE", (state_path_ + ".aucun-exercice").c_str(), 1);
    ::unsetenv("IOWVIRT");
    // The clock at the launch, as the device reads it when it opens; the
    // clock that moves once it is open.
    ::setenv("IOWVIRT_NOW", std::to_string(pc_() / 1000).c_str(), 1);
    auto running = std::make_unique<Running>();
    running->device.garde.look_with([this] { return ++steady_us_; });
    {
        std::unique_lock<std::mutex> lock(running->device.mutex);
        running->handle = running->device.open(lock);
        running->device.board.pc_now = pc_;
    }
    running->send({iowvirt::kReportMode, iowvirt::kModeEnable}, false);
    devices_.push_back(std::move(running));
}

void Programs::exit(int program) {
    Running& running = *devices_.at(static_cast<std::size_t>(program));
    {
        std::unique_lock<std::mutex> lock(running.device.mutex);
        running.device.close(running.handle);
    }
    devices_.erase(devices_.begin() + program);
}

void Programs::set(int program, std::int64_t seconds, bool halted) {
    std::int64_t year = 0, month = 0, day = 0;
    date_of(seconds / kSecondsPerDay, year, month, day);
    const std::int64_t time = seconds % kSecondsPerDay;
    Running& running = *devices_.at(static_cast<std::size_t>(program));
    const auto halt = static_cast<std::uint8_t>(halted ? kHaltBit : 0);
    running.send({iowvirt::kReportWrite, iowvirt::kFlagStart | 6, kChipWrite, kSecondsRegister,
                  static_cast<std::uint8_t>(bcd(time % 60) | halt), bcd(time / 60 % 60),
                  bcd(time / 3600), 1},
                 true);
    running.send(
        {iowvirt::kReportWrite, iowvirt::kFlagStop | 3, bcd(day), bcd(month), bcd(year % 100)},
        true);
}

Reading Programs::read(int program) {
    Running& running = *devices_.at(static_cast<std::size_t>(program));
    running.send({iowvirt::kReportWrite, iowvirt::kFlagStart | iowvirt::kFlagStop | 2, kChipWrite,
                  kSecondsRegister},
                 true);
    const Bytes time = running.send({iowvirt::kReportRead, 6, kChipRead}, true);
    const Bytes year = running.send({iowvirt::kReportRead, 1, kChipRead}, true);
    const std::uint8_t* data = time.data() + 2;
    const std::int64_t days =
        days_from_2000(2000 + from_bcd(year[2]), from_bcd(data[5]), from_bcd(data[4]));
    return {days * kSecondsPerDay + from_bcd(data[2] & kHourMask) * 3600 + from_bcd(data[1]) * 60 +
                from_bcd(data[0] & kSecondsMask),
            (data[0] & kHaltBit) != 0};
}

}  // namespace pile_modele
