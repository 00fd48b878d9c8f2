// A bench for the block's code: the virtual IOW24 with a hand-driven clock,
// every alert recorded, and the entry points called as the host calls them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "block/rtc_iow24.h"
#include "virtual/usb/iowvirt.h"

struct Alert {
    std::string text;
    std::string caption;
    bool operator==(const Alert&) const = default;
};
void PrintTo(const Alert& alert, std::ostream* os);
namespace iowvirt {
void PrintTo(const Calls& calls, std::ostream* os);
}

// The messages, as Windows-1252 bytes. Inline, so that tables of other
// units built before main() find them constructed.
namespace msg {
inline const Alert not_found{"Echec lors de l'ouverture de IOW24", "Recherche IOW24"};
inline const Alert found{
    "IOW24 d\xE9tect\xE9 : initialisation de la liaison I\xB2"
    "C",
    "Recherche IOW24"};
inline const Alert i2c_failed{"Echec pour initialiser l'I2C", "Ecriture"};
inline const Alert read_failed{"Erreur de lecture", "LECTURE"};
inline const Alert set_failed{"Erreur de transmission", "InitialisationRTC"};
inline const Alert pointer_failed{"Erreur de transmission", "Leture"};
}  // namespace msg

using Inputs = std::array<double, 8>;
using Outputs = std::array<double, 6>;
using iowvirt::Report;

// Inputs with "init" high and the given time and date.
Inputs set_inputs(double sec, double min, double heu, double dat, double moi, double ann);
// Inputs with only "RD" high.
Inputs read_inputs();
// Outputs all holding one marker value, to see which ones a step wrote.
Outputs marked_outputs();
inline constexpr double kMarker = -7.25;

// Milliseconds on a clock that only the test moves.
inline constexpr std::int64_t kStartOfTime = 1'000'000'000'000;

class Bench : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    void start() { CSimStart(nullptr, nullptr, nullptr); }
    void stop() { CSimStop(nullptr, nullptr, nullptr); }
    void step(Inputs& in, Outputs& out) { CCalculate(in.data(), out.data(), nullptr); }
    // Starts a run and forgets its alerts and traffic.
    void start_quietly();
    void advance_ms(std::int64_t ms);

    const std::vector<Alert>& alerts() const;
    void clear();  // alerts and the device log
    std::vector<Report> written() const;
    std::vector<Report> read() const;
    // Sets the chip's time registers 0x00-0x06 directly.
    void set_registers(std::array<std::uint8_t, 7> bytes);
    std::array<std::uint8_t, 7> registers() const;
};
