#include "virtual/carte/i2c.h"

namespace iowvirt {

namespace {
constexpr std::uint8_t kReadBit = 0x01;
constexpr std::size_t kCommandByte = 1;
constexpr std::size_t kFirstDataByte = 2;
}  // namespace

bool I2cFunction::is_transfer(const Report& request) {
    return request[0] == kReportWrite || request[0] == kReportRead;
}

std::optional<Report> I2cFunction::handle(const Report& request, bool bus_fault) {
    switch (request[0]) {
        case kReportMode:
            enabled_ = (request[kCommandByte] & kModeEnable) != 0;
            in_transaction_ = false;
            return std::nullopt;
        case kReportWrite:
            return write(request, bus_fault);
        case kReportRead:
            return read(request, bus_fault);
        default:
            return std::nullopt;
    }
}

void I2cFunction::reset() {
    enabled_ = false;
    in_transaction_ = false;
}

bool I2cFunction::acknowledges(std::uint8_t address_byte) {
    return chip_connected_ && chip_.address(address_byte);
}

Report I2cFunction::failed(std::uint8_t report_id) { return Report{report_id, kStatusFailed}; }

Report I2cFunction::write(const Report& request, bool bus_fault) {
    const std::uint8_t flags = request[kCommandByte];
    const std::uint8_t count = flags & kCountMask;
    const bool start = (flags & kFlagStart) != 0;
    const bool sensible = count >= 1 && count <= kMaxData && (flags & kFlagReserved) == 0 &&
                          (start || in_transaction_);
    // On any failure the IOW24 ends the transfer with a stop.
    in_transaction_ = false;
    if (!enabled_ || bus_fault || !sensible) return failed(kReportWrite);

    std::size_t next = kFirstDataByte;
    if (start) {
        // After a start the first byte is the address byte, sent for writing.
        const std::uint8_t address = request[next++];
        if ((address & kReadBit) != 0 || !acknowledges(address)) return failed(kReportWrite);
    }
    for (; next < kFirstDataByte + count; ++next)
        chip_.write(request[next]);
    in_transaction_ = (flags & kFlagStop) == 0;
    return Report{kReportWrite, count};
}

Report I2cFunction::read(const Report& request, bool bus_fault) {
    const std::uint8_t count = request[kCommandByte];
    const std::uint8_t address = request[kFirstDataByte];
    // A read makes its own start (a repeated one if a write left the bus
    // open), address byte, data and stop.
    in_transaction_ = false;
    if (!enabled_ || bus_fault || count < 1 || count > kMaxData || (address & kReadBit) == 0 ||
        !acknowledges(address)) {
        return failed(kReportRead);
    }
    Report reply{kReportRead, count};
    for (std::uint8_t i = 0; i < count; ++i)
        reply[kFirstDataByte + i] = chip_.read();
    return reply;
}

}  // namespace iowvirt
