// The room at a glance, for the teacher: one row per PC of the table and
// one per PC that reported without being in it, each told as intended
// (conforme), to look at (à voir) or silent since a given hour (sans
// nouvelles); as a page for a browser and a projector, and as a CSV
// table for Excel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "salle/rapport.h"
#include "salle/tableau.h"

namespace salle {

enum class State { as_intended, to_look_at, no_news };

struct RoomLine {
    std::string pc;
    State state = State::no_news;
    std::string planned;  // the table's exercise for the PC, as typed
    bool in_table = false;
    // The last check on the PC, whatever the account; none when `checked`
    // is false. The last opening of the virtual IOW24 there.
    bool checked = false;
    Report check;
    bool opened = false;
    Report opening;
    std::string why;  // what makes it so, in French
};

struct RoomView {
    std::string folder;
    std::string made;   // when, on this PC's clock
    std::string since;  // the hour reports count from
    std::vector<RoomLine> lines;
    std::vector<std::string> notes;  // the table's warnings, reports unread
};

// `since`: reports before it are no news.
RoomView room_view(const RoomTable& table, const std::vector<Report>& reports, std::int64_t since);

const char* state_word(State state);  // conforme, à voir, sans nouvelles
// A report's exercise in force and where it comes from: "frozen (salle)".
std::string exercise_in_force(const Report& report);

// `salle.csv`, as French Excel opens it: UTF-8 with its mark, ';'.
std::string view_csv(const RoomView& view);
// `salle.html`: one file, nothing fetched from elsewhere.
std::string view_html(const RoomView& view);

}  // namespace salle
