// The wiring check as a run: the block started, the clock read until its
// seconds change, every device call watched, then the findings printed.
#include <algorithm>
#include <cstdio>

#include "host/check/controle_cablage.h"
#include "host/load/relais.h"
#include "host/load/surveillance.h"
#include "host/script/table.h"
#include "host/systeme/horloge.h"
#include "host/systeme/systeme.h"
#include "platform/citation.h"
#include "platform/console.h"

namespace host {

namespace {

constexpr int kExitFault = 4;
// A running clock's seconds change within a second of a read; none within
// this long is a clock that does not advance.
constexpr int kFrozenAfterMs = 1500;

// Where the run is, for the finding a stalled device call faults.
enum class Phase { start, first_read, later_reads, stop };

// Prints the findings and the summary; whether every finding is good.
bool print(CheckRun& run, const CheckOptions& options) {
    const Format format = options.format;
    const std::vector<Finding> findings = diagnose(run);
    if (const std::string header = check_header(format); !header.empty())
        texte::ecrire_format(stdout, "%s\n", header.c_str());
    // A finding may name the library's path: escaped, one line each.
    for (const Finding& finding : findings)
        texte::ecrire_format(stdout, "%s\n",
                             texte::cite_path(finding_line(format, finding)).c_str());
    texte::ecrire_format(
        stdout, "%s\n",
        texte::cite_path(summary_line(format, findings, run.bench.virtual_device)).c_str());
    std::fflush(stdout);
    if (options.reported) options.reported(findings);
    return all_good(findings);
}

std::string stalled_finding(Phase phase, const Journal& start) {
    switch (phase) {
        case Phase::start:
            for (const Exchange& e : start)
                if (e.call == Exchange::Call::open) return "i2c";
            return "iow24";
        case Phase::first_read:
            return "horloge";
        case Phase::later_reads:
            return "avance";
        default:
            return "i2c";
    }
}

// Steps with "RD" high, `period_ms` apart (never more than kFrozenAfterMs,
// so that the check answers within it whatever the period), until the
// seconds read change, or the first one that fails, or kFrozenAfterMs
// after the first read.
void read_until_the_seconds_change(const Block& block, std::vector<double>& read,
                                   std::vector<double>& out, int period_ms, int& step,
                                   CheckRun& run) {
    const auto first = time_read(run.first_read);
    // As fast as possible is a millisecond apart: 1.5 s of reads, not a
    // burst that ends before the clock can tick. With a clock that does not
    // move between reads, the count ends it.
    const int pause_ms = std::clamp(period_ms, 1, kFrozenAfterMs);
    const int most_reads = kFrozenAfterMs / pause_ms + 1;
    for (int reads = 1;; ++reads) {
        wait_ms(pause_ms);
        run.second_read.clear();
        keep_journal(&run.second_read);
        entering("CCalculate", ++step);
        const std::int64_t read_at = now_ms();
        block.calculate(read.data(), out.data(), nullptr);
        keep_journal(nullptr);
        note_later_read(run, read_at);
        const auto time = time_read(run.second_read);
        if (!time || *time != *first || run.wait_ms >= kFrozenAfterMs || reads >= most_reads)
            return;
    }
}

}  // namespace

int check_wiring(const Block& block, Steps steps, const CheckOptions& options) {
    CheckRun run;
    run.bench = options.bench;
    // Hardware asked for, the virtual IOW24 found: nothing of the board is
    // checked, and the block is not run, so that its "IOW24 détecté" does
    // not stand above findings it contradicts.
    if (run.bench.hardware && run.bench.virtual_device) return print(run, options) ? 0 : kExitFault;
    Phase phase = Phase::start;
    // The IOW24 stopped answering: what was found so far, and the end.
    start_watchdog(options.timeout_ms, [&](const Stall& stall) {
        run.stall = CheckStall{stalled_finding(phase, run.start),
                               "l'IOW24 ne répond plus : " + describe(stall) +
                                   ". Débranchez l'IOW24, rebranchez-le, puis relancez la "
                                   "vérification."};
        print(run, options);
        end_process(kExitFault);
    });

    std::vector<double> out(block.outputs.size(), kNotDriven);
    std::vector<double>& read = steps.back();
    int step = 0;
    keep_journal(&run.start);
    entering("CSimStart", 0);
    block.start(nullptr, nullptr, nullptr);
    phase = Phase::first_read;
    // The setting steps' reports are no finding's.
    keep_journal(nullptr);
    for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
        entering("CCalculate", ++step);
        if (options.before_step) options.before_step(i, steps[i]);
        block.calculate(steps[i].data(), out.data(), nullptr);
    }
    keep_journal(&run.first_read);
    entering("CCalculate", ++step);
    note_first_read(run, now_ms());
    block.calculate(read.data(), out.data(), nullptr);
    keep_journal(nullptr);
    if (worth_a_second_read(run)) {
        phase = Phase::later_reads;
        read_until_the_seconds_change(block, read, out, options.period_ms, step, run);
    }
    phase = Phase::stop;
    entering("CSimStop", 0);
    block.stop(nullptr, nullptr, nullptr);
    stop_watchdog();

    return print(run, options) ? 0 : kExitFault;
}

}  // namespace host
