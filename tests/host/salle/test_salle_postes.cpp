// A room of benches as a teacher prepares it: one table on the share plants
// the exercises, every bench's check reports there, and one view tells
// which benches are as intended. Each bench is a process of its own, with
// its own PC name and account.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include <unistd.h>

#include "tests/host/horloge_gardee.h"

namespace {

// The rows of salle.csv: each PC's state word, then the rest of its row.
std::map<std::string, std::string> states(const std::string& csv) {
    std::map<std::string, std::string> rows;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        const std::size_t first = line.find(';'), second = line.find(';', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string pc = line.substr(1, first - 2);  // quoted
        rows[pc] = line.substr(first + 1, second - first - 1);
    }
    return rows;
}

Environment bench(const std::string& room, const std::string& pc, const std::string& account) {
    return {{"IOWVIRT_SALLE", room},
            {"IOWVIRT_POSTE", pc},
            {"IOWVIRT_STATE", scratch_folder("salle-etats") + pc + "-" + account}};
}

Finished view(const std::string& room) {
    return run_program(kHost, {"--salle", room, "--sans-navigateur"});
}

// Fifteen PCs check at once: five with a fault planted, two with one
// planted and repaired, one playing another fault than the table's, the
// rest with nothing; one PC of the table never reports, and one reports
// that is not in it.
TEST(RoomOfBenches, FifteenBenchesAtOnceEachTheirRightColour) {
    const std::string room = scratch_folder("salle-B12");
    std::filesystem::remove_all(room + "postes");
    const std::map<std::string, std::string> table = {
        {"PC01", "frozen"}, {"PC02", "invalid"}, {"PC03", "no-chip"}, {"PC04", "absent"},
        {"PC05", "fresh"},  {"PC06", "invalid"}, {"PC07", "invalid"}, {"PC08", "frozen"},
        {"PC09", ""},       {"PC10", ""},        {"PC11", ""},        {"PC12", ""},
        {"PC13", "tick"},   {"PC14", ""},        {"PC15", ""}};
    std::string csv = "\xEF\xBB\xBFposte;exercice;commentaire\r\n";
    for (const auto& [pc, words] : table)
        csv += pc + ";" + words + ";\r\n";
    write_bytes(room + "exercices.csv", csv);
    // A student repaired the clock of two benches: "init", the time set.
    for (const char* pc : {"PC06", "PC07"})
        ASSERT_EQ(run_program(kHost, {"--set", "now"}, bench(room, pc, "eleve")).status, 0);
    std::vector<::Run> checks;
    for (const auto& [pc, words] : table) {
        if (pc == "PC15") continue;
        Environment environment = bench(room, pc, "eleve");
        // A window of its own plants another fault than the table's.
        if (pc == "PC08") environment.emplace_back("IOWVIRT", "invalid");
        checks.emplace_back(std::vector<std::string>{"--check"}, environment);
    }
    checks.emplace_back(std::vector<std::string>{"--check"}, bench(room, "PC16", "eleve"));
    for (const Finished& check : run_together(kHost, checks)) {
        // The students' tools say nothing of the room.
        for (const std::string& told : {check.out, check.err}) {
            EXPECT_EQ(told.find("salle-B12"), std::string::npos) << told;
            EXPECT_EQ(told.find("exercices.csv"), std::string::npos) << told;
        }
    }
    const Finished shown = view(room);
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("14 conforme(s), 1 à voir, 1 sans nouvelles"), std::string::npos)
        << shown.out;
    const std::map<std::string, std::string> rows = states(read_bytes(room + "salle.csv"));
    std::map<std::string, std::string> wanted;
    for (const auto& [pc, words] : table)
        wanted[pc] = "conforme";
    wanted["PC08"] = "à voir";
    wanted["PC15"] = "sans nouvelles";
    wanted["PC16"] = "conforme";
    EXPECT_EQ(rows, wanted);
    const std::string page = read_bytes(room + "salle.html");
    EXPECT_NE(page.find("<tr class=\"a-voir\"><td>PC08</td>"), std::string::npos) << page;
    EXPECT_NE(page.find("panne réparée sur le compte "), std::string::npos) << page;
}

// Which place plants the exercise, for a bench of the room: a window's
// IOWVIRT, then the room's table, then the PC's own file; the teacher's
// view says which, and clearing the table's column gives the bench back.
TEST(RoomOfBenches, TheTableWinsOverThePcsFileAndClearingItClearsTheRoom) {
    const std::string room = scratch_folder("salle-ordre");
    const std::string pc_file = scratch_file("ordre-iowvirt.txt", "no-chip\n");
    write_bytes(room + "exercices.csv", "poste;exercice\nPC01;frozen bogus\n");
    Environment environment = bench(room, "PC01", "prof");
    environment.emplace_back("IOWVIRT_EXERCICE", pc_file);
    const Finished planted = run_program(kHost, {"--exercice"}, environment);
    EXPECT_NE(planted.out.find("frozen (" + room + "exercices.csv) ; poste « PC01 », ligne 2"),
              std::string::npos)
        << planted.out;
    EXPECT_NE(planted.out.find("« bogus » (ligne 1)"), std::string::npos) << planted.out;
    EXPECT_NE(planted.out.find("plante no-chip, sans effet tant que le tableau de la salle"),
              std::string::npos)
        << planted.out;
    // The students see the symptom alone, not the word left aside.
    const Finished check = run_program(kHost, {"--check"}, environment);
    EXPECT_NE(check.out.find("DEFAUT   L'horloge avance"), std::string::npos) << check.out;
    EXPECT_EQ(check.err.find("bogus"), std::string::npos) << check.err;
    // A simulator's opening of the virtual IOW24 reports what it plays.
    std::filesystem::remove_all(room + "postes");
    ASSERT_EQ(run_program(kHost, {"--read", "1"}, environment).status, 0);
    std::string opening;
    for (const auto& entry : std::filesystem::directory_iterator(room + "postes"))
        opening += read_bytes(entry.path().string());
    EXPECT_NE(opening.find("sorte=ouverture\n"), std::string::npos) << opening;
    EXPECT_NE(opening.find("\nposte=PC01\n"), std::string::npos) << opening;
    EXPECT_NE(opening.find("\nexercice=frozen\nsource=salle\ncase_salle=frozen bogus\n"),
              std::string::npos)
        << opening;
    Environment window = environment;
    window.emplace_back("IOWVIRT", "tick");
    EXPECT_NE(run_program(kHost, {"--exercice"}, window)
                  .out.find("il plante frozen, sans effet tant que IOWVIRT est défini"),
              std::string::npos);
    write_bytes(room + "exercices.csv", "poste;exercice\nPC01;\n");
    const Finished cleared = run_program(kHost, {"--check"}, environment);
    EXPECT_NE(cleared.out.find("DEFAUT   Réponse de l'horloge"), std::string::npos) << cleared.out;
}

// A share that stops answering: the check and the simulator's opening give
// up their reports after a bounded wait, and never count it as IOW24 time.
TEST(RoomOfBenches, AShareThatHangsNeverHoldsTheBench) {
    const std::string room = scratch_folder("salle-injoignable");
    write_bytes(room + "exercices.csv", "poste;exercice\nPC01;tick\n");
    Environment environment = bench(room, "PC01", "eleve");
    environment.insert(environment.end(), {{"LD_PRELOAD", own_folder() + "libdisque_lent.so"},
                                           {"RTC_TEST_HUNG_OPEN", room + "postes"}});
    const Finished check = run_program(kHost, {"--check", "--timeout-ms", "500"}, environment);
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_NE(check.out.find("Bilan : tout est bon"), std::string::npos) << check.out;
    EXPECT_FALSE(std::filesystem::exists(room + "postes/PC01--eleve"));
    // A share slow to give the table is no IOW24 that stopped answering.
    environment.back() = {"RTC_TEST_SLOW_OPEN", room + "exercices.csv"};
    const Finished slow = run_program(kHost, {"--check", "--timeout-ms", "500"}, environment);
    EXPECT_EQ(slow.status, 0) << slow.out << slow.err;
}

}  // namespace

namespace {

// With no variable at all: the room named in /etc/rtc_iow24/salle.txt,
// seen by the child alone in a mount namespace of its own, and the PC
// named by its host name.
TEST(RoomOfBenches, SalleTxtAtItsPlaceNamesTheRoomAndTheHostNameThePc) {
    const std::string room = scratch_folder("salle du mardi é");
    std::filesystem::remove_all(room + "postes");
    write_bytes(room + "exercices.csv", "poste;exercice\n");
    const std::string layer = scratch_folder("etc-salle");
    std::filesystem::create_directories(layer + "rtc_iow24");
    write_bytes(layer + "rtc_iow24/salle.txt", "# la salle B12\r\n\"" + room + "\"\r\n");
    const Environment pc{
        {kPrivateEtc, layer}, {"IOWVIRT_SALLE", kUnset}, {"IOWVIRT_POSTE", kUnset}};
    const Finished check = run_program(kHost, {"--check"}, pc);
    if (check.status == kNoPrivateEtc) GTEST_SKIP() << "no mount namespace of its own here";
    char host_name[256] = {};
    gethostname(host_name, sizeof host_name - 1);
    bool reported = false;
    for (const auto& entry : std::filesystem::directory_iterator(room + "postes"))
        reported = reported ||
                   entry.path().filename().string().rfind(std::string(host_name) + "--", 0) == 0;
    EXPECT_TRUE(reported) << host_name;
    const Finished shown = run_program(kHost, {"--salle", "--sans-navigateur"}, pc);
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(read_bytes(room + "salle.csv").find("\"" + std::string(host_name) + "\";conforme"),
              std::string::npos);
}

}  // namespace
