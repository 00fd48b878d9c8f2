// The wiring check: what one run of the block, watched report by report,
// tells about the way from the PC to the clock chip, in the order a user
// fixes things.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/commun/options.h"
#include "host/load/journal.h"

namespace host {

// Where the IOW24 stopped answering, when it did: the finding it faults
// ("iow24", "i2c", "horloge" or "avance") and what the watchdog saw.
struct CheckStall {
    std::string finding;
    std::string what;
};

// What is checked: the device library, and what the user asked of it.
struct Bench {
    std::string library{};  // the device library's full path
    bool virtual_device = false;
    std::string device{};   // --device of the run, for the commands a finding advises
    bool hardware = false;  // asked for hardware: the virtual IOW24 is a fault
    bool packaged = false;  // the virtual IOW24 is the package's own copy
};

// The start of the run, its first step with "RD" high, and the read where
// the seconds were first seen to change, `wait_ms` after the first one (the
// last read made when they never did; empty when the first read showed a
// fault).
struct CheckRun {
    Journal start, first_read, second_read;
    int wait_ms = 0;
    Bench bench{};
    int gap_ms = 0;                                        // between the last two reads
    std::int64_t first_read_ms = 0, previous_read_ms = 0;  // on the host's clock
    std::optional<CheckStall> stall{};
};

// The first read, made at `read_ms` on the host's clock.
void note_first_read(CheckRun& run, std::int64_t read_ms);
// A later read made at `read_ms`: sets `wait_ms` since the first read and
// `gap_ms` since the one just before it, which it then becomes.
void note_later_read(CheckRun& run, std::int64_t read_ms);

enum class Verdict { ok, fault, unknown };

struct Finding {
    const char* id;     // for scripts
    const char* title;  // French
    Verdict verdict;
    std::string sentence;  // French, UTF-8: what was found and what to do
};

// Whether the first read is sound enough to be compared with a second one.
bool worth_a_second_read(const CheckRun& run);

// The time registers (seconds, minutes, hours) of a step with "RD" high,
// when every transfer of it was answered.
std::optional<std::array<std::uint8_t, 3>> time_read(const Journal& journal);

// Seven findings, the device library first; after the first fault the
// later ones are unknown.
std::vector<Finding> diagnose(const CheckRun& run);
bool all_good(const std::vector<Finding>& findings);

std::string check_header(Format format);  // empty for the table
std::string finding_line(Format format, const Finding& finding);
// `virtual_device`: says that no hardware was checked. The exercise a
// teacher planted is never named: students run the check to find it.
std::string summary_line(Format format, const std::vector<Finding>& findings,
                         bool virtual_device = false);

}  // namespace host
