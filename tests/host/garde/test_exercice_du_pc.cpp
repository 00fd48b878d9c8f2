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
                  "iowvirt.txt est sans effet : le fichier du PC l'emporte.");
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

TEST(PcExercise, ABadPcFileIsToldToTheTeacherAndNeverStopsARun) {
    std::string unicode = "\xFF\xFE";
    for (const char c : std::string("frozen\r\n"))
        unicode += std::string{c, '\0'};
    const std::pair<std::string, std::string> cases[] = {
        {"", " : aucun ; IOWVIRT_EXERCICE est vide : il ne nomme aucun fichier.\n"},
        {scratch_folder("dossier-exercice"), " : aucun ; impossible de lire "},
        {scratch_file("exercice-unicode.txt", unicode), " : frozen ("},
    };
    const std::string device = copy("copie-mauvais");
    for (const auto& [named, view] : cases) {
        const Environment lab{{"IOWVIRT_EXERCICE", named}};
        const Finished teacher = through(device, {"--exercice"}, lab);
        EXPECT_EQ(teacher.status, 0) << named;
        EXPECT_EQ(teacher.out.rfind("Exercice de l'IOW24 virtuel " + device + view, 0), 0u)
            << teacher.out;
        EXPECT_EQ(through(device, {"--read", "1"}, lab).status, 0) << named;
    }
}

}  // namespace
