// What a bench leaves in the room's `postes` folder: one small text file
// per PC, account and kind, rewritten whole at each report. The wiring
// check reports its verdict; the virtual IOW24 reports each opening by a
// program (the simulator). Read back by the teacher's view, which trusts
// nothing in it: a student can write there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace salle {

enum class Kind { check, opening };

struct Report {
    Kind kind = Kind::check;
    std::int64_t seconds = 0;  // on the PC's clock
    std::string when;          // its local time, as the PC showed it
    bool clock_right = true;   // the PC's clock was no earlier than this release
    std::string pc, account, program;
    bool virtual_bench = true;
    std::string block_version, library_version;
    // The device library's own facts (virtual IOW24): the exercise in
    // force (its words, as the teacher would write them), where it comes
    // from (IOWVIRT, salle, PC, copie, aucun) and the room table's cell
    // for this PC as read; whether a planted fault has been repaired on
    // this account since ("oui", "non", or empty when none can be).
    std::string exercise, source, room_cell, repaired;
    // The check's: "bon" or "défaut"; its first DEFAUT line, and which
    // finding that is ("iow24", "avance"...).
    std::string verdict, first_fault, fault_id;
};

// The device library's facts, one "name=value" a line, as it gives them to
// the check (iowvirt_bench) and as they are written in a report.
std::string facts_text(const Report& report);
// The report's when, PC, account and program, as of now on this PC.
void stamp(Report& report);
void take_facts(std::string_view text, Report& report);

std::string report_text(const Report& report);
// Nothing when the text is no report; a value too long or with control
// characters is cut, never trusted.
std::optional<Report> read_report(std::string_view text);

// The report's file name: the PC and the account in letters a share takes
// on any system, then a number told from their exact names, so that no two
// PCs or accounts share a file.
std::string report_name(const Report& report);
inline constexpr std::size_t kMostReportBytes = 16 * 1024;

}  // namespace salle
