#include "salle/vue.h"

#include <algorithm>

#include "platform/lettres.h"
#include "salle/cle.h"
#include "salle/salle.h"

namespace salle {

namespace {

const Report* newest(const std::vector<Report>& reports, const std::string& pc, Kind kind) {
    const Report* found = nullptr;
    for (const Report& r : reports)
        if (r.kind == kind && texte::same_letters(r.pc, pc) &&
            (found == nullptr || r.seconds > found->seconds))
            found = &r;
    return found;
}

// Why the last check is not what the table plants, or empty.
std::string judged(const RoomLine& line) {
    const Report& check = line.check;
    if (!check.virtual_bench && check.fault_id == "iow24")
        return "pas d'IOW24 sur l'USB, sur un poste avec carte";
    const bool planted_here = !line.planned.empty();
    if (planted_here && !check.virtual_bench)
        return "le tableau plante " + line.planned +
               ", mais la vérification s'est faite sur le vrai IOW24";
    if (planted_here && (check.source != "salle" || check.room_cell != line.planned))
        return "exercice en place : " + exercise_in_force(check) + ", pas celui du tableau (" +
               line.planned + ")";
    const Expected expected = expected_for(check.exercise, check.repaired == "oui");
    const std::string found = check.verdict == "bon" ? "" : check.fault_id;
    if (as_expected(expected, found)) return "";
    if (found.empty()) return "la panne plantée (" + check.exercise + ") n'est pas vue";
    if (check.exercise.empty()) return "une panne que personne n'a plantée";
    return "la vérification trouve une autre panne que celle plantée (" + check.exercise + ")";
}

void decide(RoomLine& line, std::int64_t since) {
    if (!line.checked || line.check.seconds < since) {
        line.state = State::no_news;
        line.why = line.checked
                       ? "aucune vérification depuis l'heure choisie"
                       : "aucune vérification reçue (poste éteint, ou partage injoignable)";
        return;
    }
    line.why = judged(line);
    line.state = line.why.empty() ? State::as_intended : State::to_look_at;
    if (line.state == State::as_intended && line.check.repaired == "oui")
        line.why = "panne réparée sur le compte " + line.check.account;
    if (!line.check.clock_right)
        line.why +=
            (line.why.empty() ? "" : " ; ") + std::string("l'horloge du PC semblait fausse");
}

}  // namespace

RoomView room_view(const RoomTable& table, const std::vector<Report>& reports, std::int64_t since) {
    RoomView view;
    std::vector<std::string> pcs;
    for (const RoomRow& row : table.rows)
        pcs.push_back(row.pc);
    for (const Report& r : reports)
        if (row_of(table, r.pc) == nullptr &&
            std::none_of(pcs.begin(), pcs.end(),
                         [&](const std::string& pc) { return texte::same_letters(pc, r.pc); }))
            pcs.push_back(r.pc);
    for (const std::string& pc : pcs) {
        RoomLine line;
        line.pc = pc;
        if (const RoomRow* row = row_of(table, pc)) {
            line.in_table = true;
            line.planned = row->exercise;
        }
        if (const Report* check = newest(reports, pc, Kind::check)) {
            line.checked = true;
            line.check = *check;
        }
        if (const Report* opening = newest(reports, pc, Kind::opening)) {
            line.opened = true;
            line.opening = *opening;
        }
        decide(line, since);
        view.lines.push_back(std::move(line));
    }
    return view;
}

std::string exercise_in_force(const Report& report) {
    if (report.exercise.empty()) return "aucun";
    return report.exercise + " (" + (report.source.empty() ? "?" : report.source) + ")";
}

const char* state_word(State state) {
    switch (state) {
        case State::as_intended:
            return "conforme";
        case State::to_look_at:
            return "à voir";
        default:
            return "sans nouvelles";
    }
}

}  // namespace salle
