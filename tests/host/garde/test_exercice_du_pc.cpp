// One exercise per PC: the teacher's file (IOWVIRT_EXERCICE here, for the
// PC's own place) is played by every copy of the virtual IOW24 on every
// account, on one board per exercise; the teacher's view says where the
// words come from and what is wrong with the file.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/horloge_gardee.h"

namespace {

// A copy of the virtual IOW24 in a folder of its own, with `words` beside
// it (none when empty); its path.
std::string copy(const std::string& name, const std::string& words = "") {
    const std::string folder = scratch_folder(name);
    write_bytes(folder + kDeviceFile, read_bytes(own_folder() + kDeviceFile));
    if (!words.empty()) write_bytes(folder + "iowvirt.txt", words);
    return folder + kDeviceFile;
}

Finished through(const std::string& device, std::vector<std::string> arguments,
                 const Environment& environment) {
    arguments.insert(arguments.end(), {"--device", device});
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    return run_program(kHost, arguments, environment);
}

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(PcExercise, EveryCopyPlaysThePcsExerciseAndTheTeacherSeesWhereItComesFrom) {
    const std::string pc = scratch_file("exercice-pc.txt", "# TP 3\r\nno-chip\r\n");
    const std::string state = scratch_folder("pc-etat") + "etat";
    const Environment lab{{"IOWVIRT_EXERCICE", pc}, {"IOWVIRT_STATE", state}};
    const std::string plain = copy("copie-simple");
    const std::string with_own = copy("copie-mots", "frozen\n");
    for (const std::string& device : {plain, with_own}) {
        const Finished run = through(device, {"--check", "--period-ms", "0"}, lab);
        EXPECT_EQ(run.status, 4) << device;
        EXPECT_NE(run.out.find("DEFAUT   Réponse de l'horloge"), std::string::npos) << run.out;
    }
    EXPECT_EQ(first_line(through(plain, {"--exercice"}, lab).out),
              "Exercice de l'IOW24 virtuel " + plain + " : no-chip (" + pc + ").");
    const std::string overruled = with_own.substr(0, with_own.size() - kDeviceFile.size());
    EXPECT_EQ(first_line(through(with_own, {"--exercice"}, lab).out),
              "Exercice de l'IOW24 virtuel " + with_own + " : no-chip (" + pc + ") ; " + overruled +
                  "iowvirt.txt est sans effet tant que le fichier du PC a des mots, puis il "
                  "comptera pour cette copie : videz-le aussi pour finir l'exercice.");
    // A window's own IOWVIRT wins over the PC's file.
    Environment window = lab;
    window.emplace_back("IOWVIRT", "tick");
    EXPECT_EQ(through(plain, {"--check", "--period-ms", "0"}, window).status, 0);
    // The PC's file emptied: each copy's own words count again.
    write_bytes(pc, "");
    EXPECT_EQ(first_line(through(with_own, {"--exercice"}, lab).out),
              "Exercice de l'IOW24 virtuel " + with_own + " : frozen (" + overruled +
                  "iowvirt.txt) ; aucun mot pour tout le PC (" + pc + ").");
}

// A repair made through one copy (a set that mends `invalid`) is seen
// through every other: one board per exercise, not per copy. Once the
// exercise is cleared, its board goes and the shared clock is read.
TEST(PcExercise, OneBoardPerExerciseAndNoneLeftOnceCleared) {
    const std::string pc = scratch_file("exercice-invalide.txt", "invalid\n");
    const std::string folder = scratch_folder("pc-carte");
    const Environment lab{{"IOWVIRT_EXERCICE", pc},
                          {"IOWVIRT_STATE", folder + "etat"},
                          {"IOWVIRT_NOW", std::to_string(kMonday)}};
    const std::string simulator = copy("simulateur"), package = copy("paquet-virtuel");
    EXPECT_EQ(last_reading(through(package, {"--read", "1"}, lab)),
              reading("    60     85     45     45     25    110"));
    through(simulator, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"}, lab);
    EXPECT_EQ(last_reading(through(package, {"--read", "1"}, lab)),
              reading("    58     30     13     31     12     11"));
    std::filesystem::remove(pc);
    through(package, {"--read", "1"}, lab);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".exercice-"), std::string::npos)
            << entry.path();
}

// A PC's file of nothing but comments plants nothing: a copy's own
// exercise plays, and the teacher is told where it comes from.
TEST(PcExercise, APcFileOfCommentsAloneLeavesTheCopysExercise) {
    const std::string pc = scratch_file("exercice-commente.txt", "# rien cette semaine\r\n");
    const std::string device = copy("copie-commentee", "frozen\n");
    const std::string own = device.substr(0, device.size() - kDeviceFile.size()) + "iowvirt.txt";
    const Environment lab{{"IOWVIRT_EXERCICE", pc}, {"RTC_HOST_CLOCK", "simulated"}};
    EXPECT_NE(through(device, {"--exercice"}, lab).out.find(" : frozen (" + own + ")"),
              std::string::npos);
    const Finished check = through(device, {"--check"}, lab);
    EXPECT_NE(check.out.find("DEFAUT   L'horloge avance"), std::string::npos) << check.out;
}

// A PC's file that cannot be read as the teacher meant: told in the
// teacher's view, each unknown word with its line; the students' tools play
// what could be read and say nothing of it, nor of the file.
TEST(PcExercise, ABadPcFileIsToldToTheTeacherAndNeverToTheStudents) {
    std::string unicode = "\xFF\xFE", unmarked;
    for (const char c : std::string("frozen\r\n")) {
        unicode += std::string{c, '\0'};
        unmarked += std::string{c, '\0'};
    }
    struct Case {
        std::string named, view;
    };
    const Case cases[] = {
        {scratch_folder("dossier-exercice"), " : aucun ; impossible de lire "},
        {scratch_file("exercice-unicode.txt", unicode), " : frozen ("},
        {scratch_file("exercice-sans-marque.txt", unmarked), " : aucun ("},
        {scratch_file("exercice-faute.txt", "# TP 4 : quartz\nno-chips\n\nfrozne # TP 5\n"),
         " : aucun ("},
        {scratch_file("exercice-commentaire.txt", "frozen TP 6 : quartz mort\n"), " : frozen ("},
    };
    const std::string device = copy("copie-mauvais");
    const std::string words[] = {"no-chips", "frozne", "TP 4", "TP 6", "UTF-16"};
    for (const auto& [named, view] : cases) {
        const Environment lab{{"IOWVIRT_EXERCICE", named}};
        const Finished teacher = through(device, {"--exercice"}, lab);
        EXPECT_EQ(teacher.status, 0) << named;
        EXPECT_EQ(teacher.out.rfind("Exercice de l'IOW24 virtuel " + device + view, 0), 0u)
            << teacher.out;
        const Finished check = through(device, {"--check", "--period-ms", "0"}, lab);
        const Finished read = through(device, {"--read", "1"}, lab);
        EXPECT_EQ(read.status, 0) << named;
        // Nothing of the virtual library's own (its lines on stderr).
        for (const Finished* student : {&check, &read}) {
            EXPECT_EQ((student->out + student->err).find(named), std::string::npos) << named;
            EXPECT_EQ(student->err.find("IOW24 virtuel :"), std::string::npos) << student->err;
        }
        for (const std::string& word : words)
            EXPECT_EQ((check.out + check.err + read.err).find(word), std::string::npos) << word;
    }
    const Finished misread =
        through(device, {"--exercice"}, {{"IOWVIRT_EXERCICE", cases[3].named}});
    EXPECT_NE(misread.out.find("« no-chips » (ligne 2), « frozne » (ligne 4)"), std::string::npos)
        << misread.out;
    const Finished unmarked_view =
        through(device, {"--exercice"}, {{"IOWVIRT_EXERCICE", cases[2].named}});
    EXPECT_NE(unmarked_view.out.find("UTF-16 sans marque"), std::string::npos) << unmarked_view.out;
}

// What only the teacher is told, one case a row: the variables that count
// for nothing, a misnamed file in the PC's folder, a link.
TEST(PcExercise, TheTeachersViewTellsWhatTheStudentsToolsKeepQuiet) {
    const std::string folder = scratch_folder("dossier-du-pc");
    const std::string pc = folder + "iowvirt.txt";
    const std::string misnamed = folder + "iowvirt.txt.txt";
    const std::string device = copy("copie-vue");
    struct Case {
        std::string pc_words, misnamed_words;
        Environment more;
        std::string view, finding;
    };
    const Case cases[] = {
        {"no-chip\n",
         "",
         {{"IOWVIRT", ""}},
         " : no-chip (" + pc + ") ; IOWVIRT est vide : il ne compte pas.",
         "DEFAUT   Réponse de l'horloge"},
        {"",
         "frozen\n",
         {{"IOWVIRT", "tick"}},
         " : tick (IOWVIRT) ; " + misnamed +
             " est dans le dossier du PC, mais seul iowvirt.txt compte : renommez-le iowvirt.txt",
         "Bilan : tout est bon"},
        {"no-chip\n",
         "frozen\n",
         {{"IOWVIRT", "tick"}},
         " : tick (IOWVIRT) ; " + pc + " plante no-chip, sans effet tant que IOWVIRT est défini.",
         "Bilan : tout est bon"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(pc);
        std::filesystem::remove(misnamed);
        if (!c.pc_words.empty()) write_bytes(pc, c.pc_words);
        if (!c.misnamed_words.empty()) write_bytes(misnamed, c.misnamed_words);
        Environment lab{{"IOWVIRT_EXERCICE", pc}, {"RTC_HOST_CLOCK", "simulated"}};
        lab.insert(lab.end(), c.more.begin(), c.more.end());
        const Finished teacher = through(device, {"--exercice"}, lab);
        EXPECT_NE(teacher.out.find(c.view), std::string::npos) << c.view << "\n" << teacher.out;
        const Finished check = through(device, {"--check"}, lab);
        EXPECT_NE(check.out.find(c.finding), std::string::npos) << c.view << "\n" << check.out;
        EXPECT_EQ((check.out + check.err).find(folder), std::string::npos) << check.out;
    }
#ifndef _WIN32
    const std::string link = scratch_folder("lien-du-pc") + "iowvirt.txt";
    std::filesystem::remove(link);
    write_bytes(pc, "frozen\n");
    std::filesystem::create_symlink(pc, link);
    EXPECT_NE(through(device, {"--exercice"}, {{"IOWVIRT_EXERCICE", link}})
                  .out.find(link + " est un lien vers " + pc),
              std::string::npos);
#endif
}

// The copies a teacher's file names, as Notepad saves it: a comment, a
// folder in quotes, the library itself, one that is not there.
TEST(PcExercise, TheViewShowsEachCopyTheTeachersFileNames) {
    const std::string simulator = copy("simulateur vue", "frozen\n");
    const std::string folder = simulator.substr(0, simulator.size() - kDeviceFile.size() - 1);
    const std::string other = copy("autre copie");
    const std::string missing = scratch_folder("sans copie") + kDeviceFile;
    const std::string named =
        scratch_file("copies.txt", "\xEF\xBB\xBF# le simulateur\r\n\"" + folder + "\"\r\n\r\n" +
                                       other + "\r\n" + missing + "\r\n");
    const Environment lab{{"IOWVIRT_EXERCICE", scratch_folder("vue") + "aucun.txt"}};
    const Finished view = through(copy("paquet vue"), {"--exercice", "--copies", named}, lab);
    EXPECT_EQ(view.status, 3) << view.err;
    EXPECT_NE(view.out.find(folder + kSeparator + kDeviceFile + " : frozen ("), std::string::npos)
        << view.out;
    EXPECT_NE(view.out.find(other + " : aucun"), std::string::npos) << view.out;
    EXPECT_NE(view.err.find(missing), std::string::npos) << view.err;
    EXPECT_EQ(through(other, {"--copies", named}, lab).status, 2);
}

// A student's repair on an exercise's board lasts while the exercise is
// planted, whatever other copies are launched meanwhile; once it is planted
// nowhere, its board goes.
TEST(PcExercise, ARepairLastsUntilTheExerciseIsCleared) {
    const std::string folder = scratch_folder("reparation");
    const Environment lab{{"IOWVIRT_STATE", folder + "etat"},
                          {"IOWVIRT_NOW", std::to_string(kMonday)}};
    const std::string exercise = copy("reparation-exercice", "invalid\n");
    const std::string plain = copy("reparation-autre");
    EXPECT_EQ(last_reading(through(exercise, {"--read", "1"}, lab)),
              reading("    60     85     45     45     25    110"));
    through(exercise, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"}, lab);
    // Another copy, with no words, and the same copy in a window of its own.
    through(plain, {"--read", "1"}, lab);
    Environment window = lab;
    window.emplace_back("IOWVIRT", "tick");
    through(exercise, {"--read", "1"}, window);
    EXPECT_EQ(last_reading(through(exercise, {"--read", "1"}, lab)),
              reading("    58     30     13     31     12     11"));
    // Cleared: the board is planted nowhere, and goes at the next launch.
    std::filesystem::remove(exercise.substr(0, exercise.size() - kDeviceFile.size()) +
                            "iowvirt.txt");
    through(plain, {"--read", "1"}, lab);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".exercice-"), std::string::npos)
            << entry.path();
}

}  // namespace
