// The room's view as files: salle.csv for Excel, salle.html for a browser
// on a projector. Everything in them came from the share, where students
// may write: every cell is quoted or escaped.
#include <string>
#include <string_view>

#include "platform/decodage.h"
#include "salle/vue.h"

namespace salle {

namespace {

struct Column {
    const char* title;
    std::string (*value)(const RoomLine&);
};

std::string when(const RoomLine& l) { return l.checked ? l.check.when : ""; }

const Column kColumns[] = {
    {"exercice prévu",
     [](const RoomLine& l) { return l.in_table ? l.planned : "(pas dans le tableau)"; }},
    {"exercice en place",
     [](const RoomLine& l) {
         if (!l.checked && !l.opened) return std::string();
         return exercise_in_force(l.checked ? l.check : l.opening);
     }},
    {"vérification",
     [](const RoomLine& l) {
         if (!l.checked) return std::string();
         return l.check.verdict == "bon" ? std::string("tout est bon") : l.check.first_fault;
     }},
    {"pourquoi", [](const RoomLine& l) { return l.why; }},
    {"heure", when},
    {"compte", [](const RoomLine& l) { return l.checked ? l.check.account : ""; }},
    {"banc",
     [](const RoomLine& l) {
         if (!l.checked) return std::string();
         return std::string(l.check.virtual_bench ? "IOW24 virtuel" : "IOW24");
     }},
    {"réparée", [](const RoomLine& l) { return l.checked ? l.check.repaired : ""; }},
    {"versions",
     [](const RoomLine& l) {
         if (!l.checked) return std::string();
         return "bloc " + l.check.block_version + ", bibliothèque " + l.check.library_version;
     }},
    {"dernière ouverture de l'IOW24 virtuel",
     [](const RoomLine& l) {
         return l.opened
                    ? l.opening.when + " (" + l.opening.program + ", " + l.opening.account + ")"
                    : std::string();
     }},
};

// A cell Excel would take for a formula (=, +, -, @ first) is text: a
// report's words never run in the teacher's Excel.
std::string csv_cell(const std::string& text) {
    std::string cell = "\"";
    if (!text.empty() && std::string_view("=+-@").find(text[0]) != std::string_view::npos)
        cell += '\'';
    for (const char c : text)
        cell += c == '"' ? std::string("\"\"") : std::string(1, c);
    return cell + "\"";
}

std::string html(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

const char* colour_class(State state) {
    switch (state) {
        case State::as_intended:
            return "conforme";
        case State::to_look_at:
            return "a-voir";
        default:
            return "sans-nouvelles";
    }
}

constexpr const char* kStyle =
    "body{font-family:sans-serif;font-size:20px;margin:1em}"
    "table{border-collapse:collapse;width:100%}"
    "th,td{border:1px solid #444;padding:.3em .5em;text-align:left;vertical-align:top}"
    "th{background:#ddd}"
    "tr.conforme td{background:#b7e4b0}"
    "tr.a-voir td{background:#f4a9a0}"
    "tr.sans-nouvelles td{background:#d0d0d0;color:#333}"
    "td.etat{font-weight:bold}";

}  // namespace

std::string view_csv(const RoomView& view) {
    std::string text(texte::kUtf8Mark);
    text += "poste;état";
    for (const Column& c : kColumns)
        text += ";" + std::string(c.title);
    text += "\r\n";
    for (const RoomLine& l : view.lines) {
        text += csv_cell(l.pc) + ";" + state_word(l.state);
        for (const Column& c : kColumns)
            text += ";" + csv_cell(c.value(l));
        text += "\r\n";
    }
    return text;
}

std::string view_html(const RoomView& view) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"fr\"><head><meta charset=\"utf-8\">"
        "<title>Salle " +
        html(view.folder) + "</title><style>" + kStyle + "</style></head><body>\n<h1>Salle " +
        html(view.folder) + "</h1>\n<p>Page faite le " + html(view.made) +
        " ; vérifications comptées depuis " + html(view.since) + ".</p>\n";
    page += "<table>\n<tr><th>poste</th><th>état</th>";
    for (const Column& c : kColumns)
        page += "<th>" + html(c.title) + "</th>";
    page += "</tr>\n";
    for (const RoomLine& l : view.lines) {
        page += "<tr class=\"" + std::string(colour_class(l.state)) + "\"><td>" + html(l.pc) +
                "</td><td class=\"etat\">" + state_word(l.state) + "</td>";
        for (const Column& c : kColumns)
            page += "<td>" + html(c.value(l)) + "</td>";
        page += "</tr>\n";
    }
    page += "</table>\n";
    for (const std::string& note : view.notes)
        page += "<p>" + html(note) + "</p>\n";
    return page + "</body></html>\n";
}

}  // namespace salle
