#include <cstdio>

#include "host/bloc.h"
#include "host/horloge.h"
#include "host/relais.h"
#include "host/systeme.h"
#include "host/table.h"
#include "host/verification.h"

namespace host {

namespace {
constexpr int kExitFault = 4;
}  // namespace

int check_wiring(const Block& block, Steps steps, int period_ms, Format format) {
    CheckRun run;
    run.wait_ms = period_ms;
    Journal setting;
    std::vector<double> out(block.outputs.size(), kNotDriven);
    std::vector<double>& read = steps.back();

    keep_journal(&run.start);
    block.start(nullptr, nullptr, nullptr);
    keep_journal(&setting);
    for (std::size_t i = 0; i + 1 < steps.size(); ++i)
        block.calculate(steps[i].data(), out.data(), nullptr);
    keep_journal(&run.first_read);
    block.calculate(read.data(), out.data(), nullptr);
    if (worth_a_second_read(run)) {
        wait_ms(run.wait_ms);
        keep_journal(&run.second_read);
        block.calculate(read.data(), out.data(), nullptr);
    }
    keep_journal(nullptr);
    block.stop(nullptr, nullptr, nullptr);

    const std::vector<Finding> findings = diagnose(run);
    if (const std::string header = check_header(format); !header.empty())
        std::printf("%s\n", header.c_str());
    for (const Finding& finding : findings)
        std::printf("%s\n", finding_line(format, finding).c_str());
    std::printf("%s\n", summary_line(format, findings).c_str());
    std::fflush(stdout);
    return all_good(findings) ? 0 : kExitFault;
}

}  // namespace host
