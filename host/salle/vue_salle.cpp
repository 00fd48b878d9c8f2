#include "host/salle/vue_salle.h"

#include <cstdio>

#include "host/systeme/systeme.h"
#include "platform/citation.h"
#include "platform/console.h"
#include "platform/lettres.h"
#include "salle/salle.h"
#include "salle/vue.h"

namespace host {

namespace {

// A room has a few dozen PCs, each with a few accounts: no more reports
// are read.
constexpr std::size_t kMostReports = 5000;
constexpr const char* kPage = "salle.html";
constexpr const char* kTable = "salle.csv";

salle::RoomTable table_of(const std::string& folder, std::vector<std::string>& notes) {
    const std::string path = salle::in_folder(folder, salle::kTableFile);
    const auto bytes = salle::read_file(path, salle::kMostTableBytes);
    if (!bytes) {
        notes.push_back("Pas de tableau " + texte::cite_path(path) +
                        " lisible : seuls les postes qui ont fait un rapport sont montrés.");
        return {};
    }
    salle::RoomTable table = salle::read_room_table(*bytes);
    if (!table.error.empty()) notes.push_back(texte::cite_path(path) + ", " + table.error + ".");
    for (const std::string& warning : table.warnings)
        notes.push_back(texte::cite_path(path) + ", " + warning + ".");
    return table;
}

std::vector<salle::Report> reports_of(const std::string& folder, std::vector<std::string>& notes) {
    const std::string postes = salle::in_folder(folder, salle::kReportsFolder);
    std::vector<salle::Report> reports;
    for (const std::string& name : salle::file_names(postes)) {
        // Temporaries of a report being written, and what else lands there.
        if (!texte::ends_with_letters(name, ".txt")) continue;
        if (reports.size() == kMostReports) {
            notes.push_back("Plus de " + std::to_string(kMostReports) +
                            " rapports : les suivants ne sont pas lus.");
            break;
        }
        const auto bytes =
            salle::read_file(salle::in_folder(postes, name), salle::kMostReportBytes);
        const auto report = bytes ? salle::read_report(*bytes) : std::nullopt;
        if (report)
            reports.push_back(*report);
        else
            notes.push_back("Rapport illisible, laissé de côté : " + texte::cite_path(name) + ".");
    }
    return reports;
}

std::string hour_text(int minutes) {
    const std::string m = std::to_string(minutes % 60);
    return std::to_string(minutes / 60) + "h" + (m.size() == 1 ? "0" : "") + m;
}

}  // namespace

int show_room(const Options& o) {
    const std::string folder = o.room_folder.empty() ? salle::room_folder() : o.room_folder;
    if (folder.empty()) {
        texte::ecrire_format(
            stderr,
            "Erreur : ce PC ne nomme aucune salle (%s%s) ; donnez le dossier de la "
            "salle : rtc_host --salle DOSSIER\n",
            texte::cite_path(salle::pc_folder()).c_str(), salle::kRoomFile);
        return kExitRoom;
    }
    if (!is_folder(folder)) {
        texte::ecrire_format(stderr, "Erreur : le dossier de la salle %s est introuvable.\n",
                             texte::cite_path(folder).c_str());
        return kExitRoom;
    }
    std::vector<std::string> notes;
    const salle::RoomTable table = table_of(folder, notes);
    const std::vector<salle::Report> reports = reports_of(folder, notes);
    const std::int64_t now = salle::now_seconds();
    salle::RoomView view =
        salle::room_view(table, reports, salle::local_midnight(now) + o.since_minutes * 60);
    view.folder = folder;
    view.made = salle::local_text(now);
    view.since = hour_text(o.since_minutes) + " aujourd'hui";
    view.notes = notes;
    if (!salle::drop_file(folder, kPage, salle::view_html(view)) ||
        !salle::drop_file(folder, kTable, salle::view_csv(view))) {
        texte::ecrire_format(stderr, "Erreur : impossible d'écrire %s et %s dans %s.\n", kPage,
                             kTable, texte::cite_path(folder).c_str());
        return kExitRoom;
    }
    int counts[3] = {0, 0, 0};
    for (const salle::RoomLine& line : view.lines)
        ++counts[static_cast<int>(line.state)];
    texte::ecrire_format(
        stdout, "%s et %s écrits dans %s : %d conforme(s), %d à voir, %d sans nouvelles.\n", kPage,
        kTable, texte::cite_path(folder).c_str(), counts[0], counts[1], counts[2]);
    if (!o.no_browser) open_document(salle::in_folder(folder, kPage));
    return 0;
}

}  // namespace host
