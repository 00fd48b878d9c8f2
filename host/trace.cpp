#include "host/trace.h"

#include <cstdio>

#include "host/protocole.h"

namespace host {

namespace {

std::string byte(std::uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::string bytes(const std::uint8_t* from, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += byte(from[i]);
    }
    return text;
}

std::string short_transfer(std::uint32_t count) {
    return count == kReportSize ? "" : " [only " + std::to_string(count) + " of 8 bytes]";
}

std::string describe_i2c_write(const std::uint8_t* r) {
    const int count = r[1] & kCountMask;
    std::string text = "I2C write";
    if (r[1] & kStart) text += ", start";
    if (r[1] & kStop) text += ", stop";
    text += ", " + std::to_string(count) + " byte" + (count == 1 ? "" : "s");
    if (count >= 1 && count <= 6) {
        text += ": " + bytes(r + 2, count);
        if (r[1] & kStart) text += " (address " + byte(r[2]) + (r[2] & 1 ? ", read)" : ", write)");
    } else {
        text += " (a write carries 1 to 6)";
    }
    return text;
}

}  // namespace

std::string hex(const std::uint8_t* report) { return bytes(report, kReportSize); }

std::string describe_write(const std::uint8_t* r, std::uint32_t written) {
    std::string text;
    switch (r[0]) {
        case kModeSwitch:
            text = r[1] & kModeOn ? "I2C mode on" : "I2C mode off";
            break;
        case kI2cWrite:
            text = describe_i2c_write(r);
            break;
        case kI2cRead:
            text = "I2C read of " + std::to_string(r[1]) + " byte" + (r[1] == 1 ? "" : "s") +
                   " from address " + byte(r[2]);
            break;
        default:
            text = "report " + byte(r[0]) + " (not an I2C report)";
    }
    return text + (written == kReportSize ? "" : " - NOT SENT" + short_transfer(written));
}

std::string describe_read(const std::uint8_t* r, std::uint32_t read) {
    if (read != kReportSize) return "no reply" + short_transfer(read);
    const bool failed = (r[1] & kFailed) != 0;
    std::string text = "reply to report " + byte(r[0]) + ": ";
    text += failed ? "FAILED (status " + byte(r[1]) + ")" : "good";
    if (r[0] == kI2cRead && !failed) {
        const int count = r[1] & kCountMask;
        if (count >= 1 && count <= 6) text += ", data " + bytes(r + 2, count);
    }
    return text;
}

}  // namespace host
