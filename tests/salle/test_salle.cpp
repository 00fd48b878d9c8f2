// The room's table, the benches' reports and the teacher's view, in-process:
// each as a teacher's Excel or Notepad and a student's hands would give it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "salle/cle.h"
#include "salle/rapport.h"
#include "salle/salle.h"
#include "salle/tableau.h"
#include "salle/vue.h"

namespace {

using salle::Report;
using salle::State;

// The same table as each editor saves it: the PC's row, found in any case.
TEST(RoomTable, EveryFormExcelAndNotepadSaveGivesEachPcItsRow) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("poste\texercice\r\nPC03\tfrozen"))
        utf16 += std::string{c, '\0'};
    const Case cases[] = {
        {"French Excel, UTF-8 with its mark",
         "\xEF\xBB\xBFposte;exercice;commentaire\r\nPC01;;\r\nPC03;frozen;quartz\r\n"},
        {"French Excel, Windows-1252", "Poste;Exercice;Commentaire\r\npc03;frozen;\xE9t\xE9\r\n"},
        {"Notepad, UTF-16", utf16},
        {"commas, quoted", "poste,exercice,commentaire\n\"PC03\",\"frozen\",\"a, b\"\n"},
        {"notes column and notes above", "# TP 3\n#note;poste;exercice\nx;PC03;frozen\n"},
        {"columns in another order, a lone CR", "exercice;poste\rfrozen;PC03\r"},
    };
    for (const Case& c : cases) {
        const salle::RoomTable table = salle::read_room_table(c.bytes);
        EXPECT_EQ(table.error, "") << c.what;
        const salle::RoomRow* row = salle::row_of(table, "Pc03");
        ASSERT_NE(row, nullptr) << c.what;
        EXPECT_EQ(row->exercise, "frozen") << c.what;
        EXPECT_EQ(salle::row_of(table, "PC04"), nullptr) << c.what;
    }
}

TEST(RoomTable, WhatATeacherShouldMendIsSaidAndTheRestIsRead) {
    const salle::RoomTable table = salle::read_room_table(
        "poste;exercice;salle\nPC01;frozen\n;invalid\nPC01;absent\nPC02;\"no-chip\nPC03;tick\n");
    ASSERT_EQ(table.error, "");
    ASSERT_EQ(table.warnings.size(), 4u);
    EXPECT_NE(table.warnings[0].find("« salle »"), std::string::npos) << table.warnings[0];
    EXPECT_NE(table.warnings[1].find("ligne 3 : un exercice sans nom de poste"), std::string::npos);
    EXPECT_NE(table.warnings[2].find("déjà à la ligne 2"), std::string::npos);
    EXPECT_NE(table.warnings[3].find("ligne 5, colonne 2 : guillemet sans fin"), std::string::npos);
    // The first row of a PC named twice counts; a short row is blank after it.
    EXPECT_EQ(salle::row_of(table, "PC01")->exercise, "frozen");
    EXPECT_EQ(salle::row_of(table, "PC03")->exercise, "tick");
    EXPECT_EQ(salle::read_room_table("PC01;frozen\n").error,
              "ligne 1 : l'en-tête doit nommer les colonnes poste et exercice "
              "(poste;exercice;commentaire)");
    EXPECT_NE(salle::read_room_table("").error, "");
}

TEST(RoomFile, NamesTheFolderOnItsFirstLineInAnyForm) {
    EXPECT_EQ(salle::room_folder_named("\xEF\xBB\xBF\\\\serveur\\techno\\salle-B12\r\n"),
              "\\\\serveur\\techno\\salle-B12");
    EXPECT_EQ(salle::room_folder_named("# salle du mardi\n\n  \"Z:\\Salle B\xE9\"  \n"),
              "Z:\\Salle Bé");
    EXPECT_EQ(salle::room_folder_named(" \n# rien\n"), "");
    EXPECT_EQ(salle::in_folder("\\\\serveur\\salle", "postes"), "\\\\serveur\\salle\\postes");
    EXPECT_EQ(salle::in_folder("/srv/salle/", "postes"), "/srv/salle/postes");
}

Report check_report() {
    Report r;
    r.seconds = 1796900000;
    r.when = "2026-12-10 10:53:20";
    r.pc = "PC03";
    r.account = "élève";
    r.program = "rtc_host.exe";
    r.block_version = r.library_version = "1.0.0";
    r.exercise = "frozen";
    r.source = "salle";
    r.room_cell = "frozen";
    r.verdict = "défaut";
    r.first_fault = "DEFAUT   L'horloge avance : …";
    r.fault_id = "avance";
    return r;
}

TEST(BenchReport, ReadsBackWhatWasWrittenAndNothingAStudentAdds) {
    const Report written = check_report();
    const auto read = salle::read_report(salle::report_text(written));
    ASSERT_TRUE(read);
    EXPECT_EQ(salle::report_text(*read), salle::report_text(written));
    // A line end in an account's name adds no field.
    Report forged = written;
    forged.account = "x\nverdict=bon\rconstat=";
    const auto read_forged = salle::read_report(salle::report_text(forged));
    ASSERT_TRUE(read_forged);
    EXPECT_EQ(read_forged->verdict, "défaut");
    EXPECT_EQ(read_forged->fault_id, "avance");
    // Not a report: another file, one too long, one with no PC or no time.
    EXPECT_FALSE(salle::read_report("bonjour\nposte=PC03\n"));
    EXPECT_FALSE(salle::read_report(salle::report_text(written) +
                                    std::string(salle::kMostReportBytes, 'x')));
    Report nameless = written;
    nameless.pc.clear();
    EXPECT_FALSE(salle::read_report(salle::report_text(nameless)));
}

TEST(BenchReport, NoTwoPcsOrAccountsShareAFile) {
    const std::pair<const char*, const char*> names[] = {
        {"PC03", "a b"},   {"PC03", "a_b"},   {"PC03", "A b"},  {"PC3", "a b"},
        {"PC03", "élève"}, {"PC03", "?l?ve"}, {"PC03--a", "b"}, {"PC03", "a--b"}};
    std::vector<std::string> files;
    for (const auto& [pc, account] : names) {
        Report r = check_report();
        r.pc = pc;
        r.account = account;
        const std::string file = salle::report_name(r);
        EXPECT_EQ(file.find_first_of("/\\:*?\"<>| "), std::string::npos) << file;
        for (const std::string& other : files)
            EXPECT_NE(file, other);
        files.push_back(file);
        r.kind = salle::Kind::opening;
        EXPECT_NE(salle::report_name(r), file);
    }
}

TEST(AnswerKey, EachWordGivesTheFindingTheGuideGives) {
    struct Case {
        const char* words;
        const char* found;  // the check's first fault; empty: all good
        bool as_expected;
    };
    const Case cases[] = {
        {"", "", true},
        {"", "avance", false},
        {"frozen", "avance", true},
        {"frozen", "", false},
        {"invalid", "registres", true},
        {"invalid", "avance", false},
        {"no-chip", "horloge", true},
        {"short-read", "horloge", true},
        {"absent", "iow24", true},
        {"silent-open", "iow24", true},
        {"silent-write", "i2c", true},
        {"fresh", "marche", true},
        {"tick", "", true},
        {"tick", "avance", false},
        // Several words: the first in the order one repairs.
        {"frozen, invalid", "registres", true},
        {"frozen, no-chip", "avance", false},
        {"frozen, absent", "iow24", true},
        {"frozen, invalid", "avance", false},
        // After a count of calls, where it faults depends on the count.
        {"silent:6", "avance", true},
        {"silent:6", "horloge", true},
        {"silent-write:3, tick", "", true},
        {"silent", "horloge", true},
        {"silent:0", "horloge", true},
        {"silent:0", "avance", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(salle::as_expected(salle::expected_for(c.words), c.found), c.as_expected)
            << "\"" << c.words << "\" found \"" << c.found << "\"";
}

// Each PC's row as the teacher's view tells it.
TEST(RoomView, EachBenchIsAsIntendedToLookAtOrSilent) {
    const salle::RoomTable table = salle::read_room_table(
        "poste;exercice\nPC01;frozen\nPC02;\nPC03;invalid\nPC04;frozen\nPC05;frozen\nPC06;\n"
        "PC07;frozen\nPC08;\n");
    const std::int64_t since = 1796896800;
    struct Case {
        const char* pc;
        State state;
        const char* why;  // a piece of it
        Report report;
    };
    auto planted = [](const char* pc, const char* words, const char* found, const char* source,
                      const char* cell) {
        Report r = check_report();
        r.pc = pc;
        r.exercise = words;
        r.source = source;
        r.room_cell = cell;
        r.fault_id = found;
        r.verdict = *found == '\0' ? "bon" : "défaut";
        return r;
    };
    Report repaired = planted("PC03", "invalid", "", "salle", "invalid");
    repaired.repaired = "oui";
    Report old = planted("PC05", "frozen", "avance", "salle", "frozen");
    old.seconds = since - 1;
    Report hardware = planted("PC06", "", "iow24", "", "");
    hardware.virtual_bench = false;
    Report wrong_clock = planted("PC08", "", "", "", "");
    wrong_clock.clock_right = false;
    const Case cases[] = {
        {"PC01", State::as_intended, "", planted("PC01", "frozen", "avance", "salle", "frozen")},
        {"PC02", State::to_look_at, "personne", planted("PC02", "", "avance", "", "")},
        {"PC03", State::as_intended, "réparée", repaired},
        {"PC04", State::to_look_at, "pas celui du tableau",
         planted("PC04", "invalid", "registres", "IOWVIRT", "frozen")},
        {"PC05", State::no_news, "depuis", old},
        {"PC06", State::to_look_at, "pas d'IOW24", hardware},
        {"PC07", State::to_look_at, "n'est pas vue",
         planted("PC07", "frozen", "", "salle", "frozen")},
        {"PC08", State::as_intended, "semblait fausse", wrong_clock},
        {"PC99", State::to_look_at, "personne", planted("PC99", "", "horloge", "", "")},
    };
    std::vector<Report> reports;
    for (const Case& c : cases)
        reports.push_back(c.report);
    const salle::RoomView view = salle::room_view(table, reports, since);
    ASSERT_EQ(view.lines.size(), 9u);
    for (std::size_t i = 0; i < view.lines.size(); ++i) {
        const salle::RoomLine& line = view.lines[i];
        EXPECT_EQ(line.pc, cases[i].pc);
        EXPECT_EQ(salle::state_word(line.state), salle::state_word(cases[i].state)) << line.pc;
        EXPECT_NE(line.why.find(cases[i].why), std::string::npos) << line.pc << ": " << line.why;
    }
    EXPECT_FALSE(view.lines[8].in_table);
}

TEST(RoomView, WhatAStudentWroteNeverRunsInExcelNorInThePage) {
    Report r = check_report();
    r.account = "=HYPERLINK(\"http://x\")";
    r.program = "<script>alert(1)</script>";
    salle::RoomView view = salle::room_view({}, {r}, 0);
    view.lines[0].opened = true;
    view.lines[0].opening = r;
    const std::string csv = salle::view_csv(view);
    EXPECT_NE(csv.find("\"'=HYPERLINK(\"\"http://x\"\")\""), std::string::npos) << csv;
    EXPECT_EQ(csv.find(";\"=HYPERLINK"), std::string::npos) << csv;
    const std::string page = salle::view_html(view);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;"), std::string::npos);
    EXPECT_EQ(page.find("http://x\")"), std::string::npos);
}

}  // namespace
