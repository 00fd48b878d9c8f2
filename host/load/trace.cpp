#include "host/load/trace.h"

#include <cstdio>

#include "host/commun/protocole.h"

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
    return count == kReportSize ? "" : " [" + std::to_string(count) + " octet(s) sur 8 seulement]";
}

std::string describe_i2c_write(const std::uint8_t* r) {
    const int count = r[1] & kCountMask;
    std::string text = "écriture I2C";
    if (r[1] & kStart) text += ", start";
    if (r[1] & kStop) text += ", stop";
    text += ", " + std::to_string(count) + " octet" + (count == 1 ? "" : "s");
    if (count >= 1 && count <= 6) {
        text += " : " + bytes(r + 2, count);
        if (r[1] & kStart)
            text += " (adresse " + byte(r[2]) + (r[2] & 1 ? ", lecture)" : ", écriture)");
    } else {
        text += " (une écriture en porte de 1 à 6)";
    }
    return text;
}

}  // namespace

std::string hex(const std::uint8_t* report) { return bytes(report, kReportSize); }

std::string hex(const std::uint8_t* from, int count) { return bytes(from, count); }

std::string describe_write(const std::uint8_t* r, std::uint32_t written) {
    std::string text;
    switch (r[0]) {
        case kModeSwitch:
            text = r[1] & kModeOn ? "mode I2C activé" : "mode I2C désactivé";
            break;
        case kI2cWrite:
            text = describe_i2c_write(r);
            break;
        case kI2cRead:
            text = "lecture I2C de " + std::to_string(r[1]) + " octet" + (r[1] == 1 ? "" : "s") +
                   " à l'adresse " + byte(r[2]);
            break;
        default:
            text = "rapport " + byte(r[0]) + " (pas un rapport I2C)";
    }
    return text + (written == kReportSize ? "" : " - NON ENVOYÉ" + short_transfer(written));
}

std::string describe_read(const std::uint8_t* r, std::uint32_t read) {
    if (read != kReportSize) return "pas de réponse" + short_transfer(read);
    const bool failed = (r[1] & kFailed) != 0;
    std::string text = "réponse au rapport " + byte(r[0]) + " : ";
    text += failed ? "ÉCHEC (état " + byte(r[1]) + ")" : "bonne";
    if (r[0] == kI2cRead && !failed) {
        const int count = r[1] & kCountMask;
        if (count >= 1 && count <= 6) text += ", données " + bytes(r + 2, count);
    }
    return text;
}

}  // namespace host
