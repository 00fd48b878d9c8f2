// What the stand-in host prints: the table of outputs and the trace of the
// IOW24's reports.
#include <gtest/gtest.h>

#include <limits>

#include "host/load/trace.h"
#include "host/script/table.h"

namespace {

using host::Format;

TEST(Table, ColumnsCarryTheBlocksOutputNames) {
    const std::vector<std::string> pins{"SEC", "MIN", "ANN"};
    EXPECT_EQ(host::header_line(Format::table, pins), " pas  action      SEC    MIN    ANN");
    EXPECT_EQ(host::step_line(Format::table, 2, "lecture", {45, 30, 11}),
              "   2  lecture      45     30     11");
    // Accented words take one column a character, not one a byte.
    EXPECT_EQ(host::step_line(Format::table, 1, "écriture", {45, 30, 11}),
              "   1  écriture     45     30     11");
    EXPECT_EQ(host::header_line(Format::csv, pins), "pas,SEC,MIN,ANN");
    EXPECT_EQ(host::step_line(Format::csv, 12, "lecture", {165, 0, -7.25}), "12,165,0,-7.25");
}

TEST(Table, OutputsNotDrivenShowAsADashOrAnEmptyField) {
    const std::vector<double> values{host::kNotDriven, 0, host::kNotDriven};
    EXPECT_EQ(host::step_line(Format::table, 1, "-", values),
              "   1  -             -      0      -");
    EXPECT_EQ(host::step_line(Format::csv, 1, "-", values), "1,,0,");
}

TEST(Table, ValuesPrintAsTheyAre) {
    EXPECT_EQ(host::format_value(59.0), "59");
    EXPECT_EQ(host::format_value(-0.5), "-0.5");
    EXPECT_EQ(host::format_value(1e20), "1e+20");
    EXPECT_EQ(host::format_value(std::numeric_limits<double>::quiet_NaN()), "nan");
}

TEST(Trace, RequestsAreDecoded) {
    const std::uint8_t mode_on[8] = {0x01, 0x01};
    const std::uint8_t mode_off[8] = {0x01, 0x00};
    const std::uint8_t set_time[8] = {0x02, 0x86, 0xD0, 0x00, 0x45, 0x30, 0x13, 0x00};
    const std::uint8_t set_date[8] = {0x02, 0x43, 0x08, 0x03, 0x11};
    const std::uint8_t read3[8] = {0x03, 0x03, 0xD1};
    const std::uint8_t nonsense[8] = {0x02, 0xC7, 0xD0};
    EXPECT_EQ(host::hex(set_time), "02 86 D0 00 45 30 13 00");
    EXPECT_EQ(host::describe_write(mode_on, 8), "mode I2C activé");
    EXPECT_EQ(host::describe_write(mode_off, 8), "mode I2C désactivé");
    EXPECT_EQ(host::describe_write(set_time, 8),
              "écriture I2C, start, 6 octets : D0 00 45 30 13 00 (adresse D0, écriture)");
    EXPECT_EQ(host::describe_write(set_date, 8), "écriture I2C, stop, 3 octets : 08 03 11");
    EXPECT_EQ(host::describe_write(read3, 8), "lecture I2C de 3 octets à l'adresse D1");
    EXPECT_EQ(host::describe_write(nonsense, 8),
              "écriture I2C, start, stop, 7 octets (une écriture en porte de 1 à 6)");
    EXPECT_EQ(host::describe_write(read3, 0),
              "lecture I2C de 3 octets à l'adresse D1 - NON ENVOYÉ [0 octet(s) sur 8 seulement]");
}

TEST(Trace, RepliesSayGoodOrFailedAndShowTheData) {
    const std::uint8_t good[8] = {0x02, 0x02};
    const std::uint8_t failed[8] = {0x02, 0x80};
    const std::uint8_t data[8] = {0x03, 0x03, 0x59, 0x07, 0x23};
    EXPECT_EQ(host::describe_read(good, 8), "réponse au rapport 02 : bonne");
    EXPECT_EQ(host::describe_read(failed, 8), "réponse au rapport 02 : ÉCHEC (état 80)");
    EXPECT_EQ(host::describe_read(data, 8), "réponse au rapport 03 : bonne, données 59 07 23");
    EXPECT_EQ(host::describe_read(data, 0), "pas de réponse [0 octet(s) sur 8 seulement]");
}

}  // namespace
