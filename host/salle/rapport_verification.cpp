#include "host/salle/rapport_verification.h"

#include "host/commun/options.h"
#include "salle/depot.h"
#include "salle/salle.h"

namespace host {

void report_check(const std::vector<Finding>& findings, const CheckedBench& bench) {
    const std::string room = salle::room_folder();
    if (room.empty()) return;
    salle::Report report;
    salle::take_facts(bench.facts, report);
    report.kind = salle::Kind::check;
    salle::stamp(report);
    report.virtual_bench = bench.virtual_device;
    report.block_version = bench.block_version;
    if (!bench.library_version.empty()) report.library_version = bench.library_version;
    report.verdict = all_good(findings) ? "bon" : "défaut";
    for (const Finding& f : findings) {
        if (f.verdict != Verdict::fault) continue;
        report.first_fault = finding_line(Format::table, f);
        report.fault_id = f.id;
        break;
    }
    salle::drop_report(room, report);
}

}  // namespace host
