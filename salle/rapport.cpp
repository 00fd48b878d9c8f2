#include "salle/rapport.h"

#include <algorithm>
#include <vector>

#include "platform/lettres.h"
#include "platform/tableur.h"
#include "salle/salle.h"

namespace salle {

namespace {

constexpr std::string_view kFirstLine = "rapport rtc_iow24 1";
constexpr std::size_t kMostValue = 512;
constexpr const char* kReportEnd = ".txt";

struct Field {
    const char* name;
    std::string Report::*value;
};

constexpr Field kFacts[] = {
    {"bibliotheque", &Report::library_version},
    {"exercice", &Report::exercise},
    {"source", &Report::source},
    {"case_salle", &Report::room_cell},
    {"repare", &Report::repaired},
};

constexpr Field kOwn[] = {
    {"heure", &Report::when},         {"poste", &Report::pc},
    {"compte", &Report::account},     {"programme", &Report::program},
    {"bloc", &Report::block_version}, {"verdict", &Report::verdict},
    {"defaut", &Report::first_fault}, {"constat", &Report::fault_id},
};

// One line a value: line ends and other control characters become blanks.
std::string one_line(const std::string& value) {
    std::string line = value.substr(0, kMostValue);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return line;
}

std::string lines_of(const Report& report, const Field* fields, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += std::string(fields[i].name) + "=" + one_line(report.*fields[i].value) + "\n";
    return text;
}

// Calls `take` with each "name=value" line of `text`.
template <typename Take>
void each_line(std::string_view text, const Take& take) {
    texte::Lines lines(text);
    std::string_view line;
    while (lines.next(line)) {
        const std::size_t equal = line.find('=');
        if (equal != std::string_view::npos) take(line.substr(0, equal), line.substr(equal + 1));
    }
}

bool take_field(const Field* fields, std::size_t count, std::string_view name,
                std::string_view value, Report& report) {
    for (std::size_t i = 0; i < count; ++i)
        if (name == fields[i].name) {
            report.*fields[i].value = one_line(std::string(value));
            return true;
        }
    return false;
}

// Letters a file name keeps on any share; anything else is '_'.
std::string safe(const std::string& name) {
    std::string kept;
    for (const char c : name.substr(0, 40)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.';
        kept += plain ? c : '_';
    }
    return kept;
}

}  // namespace

std::string facts_text(const Report& report) { return lines_of(report, kFacts, std::size(kFacts)); }

void take_facts(std::string_view text, Report& report) {
    each_line(text, [&](std::string_view name, std::string_view value) {
        take_field(kFacts, std::size(kFacts), name, value, report);
    });
}

void stamp(Report& report) {
    report.seconds = now_seconds();
    report.when = local_text(report.seconds);
    report.clock_right = report.seconds >= kReleasedSeconds;
    report.pc = pc_name();
    report.account = account_name();
    report.program = program_name();
}

std::string report_text(const Report& report) {
    return std::string(kFirstLine) + "\n" +
           "sorte=" + (report.kind == Kind::check ? "verification" : "ouverture") + "\n" +
           "secondes=" + std::to_string(report.seconds) + "\n" +
           "horloge=" + (report.clock_right ? "juste" : "fausse") + "\n" +
           "banc=" + (report.virtual_bench ? "virtuel" : "IOW24") + "\n" +
           lines_of(report, kOwn, std::size(kOwn)) + facts_text(report);
}

std::optional<Report> read_report(std::string_view text) {
    if (text.size() > kMostReportBytes || text.substr(0, kFirstLine.size()) != kFirstLine)
        return std::nullopt;
    Report report;
    bool kind_known = false;
    // A name given twice keeps its first value.
    std::vector<std::string_view> seen;
    each_line(text, [&](std::string_view name, std::string_view value) {
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) return;
        seen.push_back(name);
        if (name == "sorte") {
            kind_known = value == "verification" || value == "ouverture";
            report.kind = value == "verification" ? Kind::check : Kind::opening;
        } else if (name == "secondes") {
            report.seconds = texte::digits_only(value, 12);
        } else if (name == "horloge") {
            report.clock_right = value == "juste";
        } else if (name == "banc") {
            report.virtual_bench = value != "IOW24";
        } else if (!take_field(kOwn, std::size(kOwn), name, value, report)) {
            take_field(kFacts, std::size(kFacts), name, value, report);
        }
    });
    if (!kind_known || report.pc.empty() || report.seconds <= 0) return std::nullopt;
    return report;
}

std::string report_name(const Report& report) {
    std::uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a
    for (const char c : report.pc + '\n' + report.account) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 0x100000001b3u;
    }
    return safe(report.pc) + "--" + safe(report.account) + "-" + texte::hex_digits(hash, 8) +
           (report.kind == Kind::check ? "-verification" : "-ouverture") + kReportEnd;
}

}  // namespace salle
