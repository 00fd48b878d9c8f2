// rtc_host --check as a teacher runs it, against the virtual IOW24 set up
// as each fault: what it finds, in which words, and its exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/host/hote.h"
#include "tests/host/processus.h"

namespace {

constexpr int kExitFault = 4;

// The host's clock is simulated: the check's reads, --period-ms apart, take
// no real time. `tick` moves the virtual clock one second per step with
// "RD" high, so that the second read already sees it advance.
Finished check(std::vector<std::string> arguments, const std::string& iowvirt,
               Environment environment = {}) {
    arguments.insert(arguments.begin(), "--check");
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    environment.insert(environment.end(), {{"IOWVIRT", iowvirt}, {"RTC_HOST_CLOCK", "simulated"}});
    return run_program(kHost, arguments, environment);
}

// The PC's clock standing still (IOWVIRT_NOW), so that a run slowed down by
// a busy machine never sees a real second go by.
const Environment kPcClockStill{{"IOWVIRT_NOW", "1796634000"}};

// The first word of every line of the table but the summary.
std::string verdicts(const std::string& out) {
    std::istringstream lines(out);
    std::string line, words;
    while (std::getline(lines, line)) {
        if (line.rfind("Bilan", 0) == 0) continue;
        if (!words.empty()) words += ' ';
        words += line.substr(0, line.find(' '));
    }
    return words;
}

bool says(const Finished& run, const std::string& words) {
    return run.out.find(words) != std::string::npos;
}

// A board never kept is delivered set and running: the first check on a
// new account finds nothing no one planted. `fresh` plays a chip never set.
TEST(WiringCheck, ANewBoardChecksCleanAndAFreshChipIsHalted) {
    const Finished delivered = check({"--period-ms", "0"}, "tick");
    EXPECT_EQ(delivered.status, 0) << delivered.out;
    EXPECT_EQ(verdicts(delivered.out), "OK OK OK OK OK OK OK") << delivered.out;
    const Finished run = check({"--period-ms", "0"}, "tick,fresh");
    EXPECT_EQ(run.status, kExitFault);
    EXPECT_EQ(verdicts(run.out), "OK OK OK OK DEFAUT INCONNU INCONNU") << run.out;
    EXPECT_TRUE(says(run,
                     "DEFAUT   Horloge en marche : l'horloge est arrêtée (bit 7 des "
                     "secondes à 1 : le bloc lit SEC = 80 ou plus)."))
        << run.out;
    EXPECT_TRUE(says(run,
                     "\nBilan : un défaut ; corrigez-le, puis relancez la vérification. IOW24 "
                     "virtuel : aucun matériel n'a été vérifié.\n"));
}

// However long --period-ms, the check answers within its 1,5 s; and no
// interval it prints is "0,0 s".
TEST(WiringCheck, KeepsItsOneAndAHalfSecondsAndSaysItsClockIsSimulated) {
    Finished run = check({"--set", "now", "--period-ms", "20000"}, "tick");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(says(run, "OK       L'horloge avance : +1 s en 1,5 s.\n")) << run.out;
    EXPECT_NE(run.err.find("RTC_HOST_CLOCK=simulated : l'horloge de rtc_host est simulée"),
              std::string::npos)
        << run.err;
    run = check({"--set", "now", "--period-ms", "0"}, "tick");
    EXPECT_TRUE(says(run, "OK       L'horloge avance : +1 s en 1 ms.\n")) << run.out;
    EXPECT_EQ(run.out.find("0,0 s"), std::string::npos) << run.out;
}

// The check keeps the answer: students run it to find the planted fault,
// so it never names the words, their file or its comment. The teacher's
// --exercice names each word in force with where it came from, and a file
// that Notepad saved under another name, which counts for nothing.
TEST(WiringCheck, KeepsTheAnswerThatTheTeachersViewGives) {
    const std::string folder = scratch_folder("tp-2");
    const std::string library = folder + kDeviceFile;
    {
        std::ofstream(library, std::ios::binary)
            << std::ifstream(own_folder() + kDeviceFile, std::ios::binary).rdbuf();
        std::ofstream(folder + "iowvirt.txt") << "# TP 2 : le cristal est mort\nfrozen\n";
    }
    std::vector<std::string> check{"--check", "--device", library};
    check.insert(check.end(), kAlerts.begin(), kAlerts.end());
    Finished run = run_program(kHost, check, {{"RTC_HOST_CLOCK", "simulated"}});
    for (const char* answer : {"frozen", "iowvirt.txt", "cristal", "TP 2"})
        EXPECT_EQ((run.out + run.err).find(answer), std::string::npos) << answer << "\n" << run.out;
    const std::string pc = folder + "exercice-du-pc.txt";
    const std::vector<std::string> view{"--exercice", "--device", library};
    run = run_program(kHost, view, {{"IOWVIRT_EXERCICE", pc}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Exercice de l'IOW24 virtuel " + library + " : frozen (" + folder +
                           "iowvirt.txt) ; aucun mot pour tout le PC (" + pc + ").\n");
    // Windows renames over no file: an earlier run's may be there.
    std::remove((folder + "iowvirt.txt.txt").c_str());
    std::rename((folder + "iowvirt.txt").c_str(), (folder + "iowvirt.txt.txt").c_str());
    run = run_program(kHost, view, {{"IOWVIRT_EXERCICE", pc}});
    EXPECT_EQ(run.out, "Exercice de l'IOW24 virtuel " + library +
                           " : aucun ; aucun mot pour tout "
                           "le PC (" +
                           pc +
                           ") ; iowvirt.txt.txt est à côté de la bibliothèque, "
                           "mais seul iowvirt.txt compte : renommez-le iowvirt.txt.\n");
}

// Two fault words at once: the first fault is the earlier one's, and no
// sentence says what one of the faults makes untrue.
TEST(WiringCheck, TwoFaultsAtOnceGetTrueVerdicts) {
    // Each word's first faulty finding on a clock set beforehand, by its
    // place in the check's order; 7 where there is none.
    const std::pair<const char*, int> words[] = {
        {"absent", 1}, {"no-chip", 3},     {"frozen", 6},       {"invalid", 5},    {"tick", 7},
        {"silent", 3}, {"silent-open", 1}, {"silent-write", 2}, {"short-read", 3}, {"fresh", 4},
    };
    int number = 0;
    for (const auto& [a, first_a] : words) {
        for (const auto& [b, first_b] : words) {
            if (std::string(a) >= b) continue;
            const std::string state = scratch_folder("paires") + std::to_string(++number);
            run_program(kHost,
                        {"--set", "2011-12-31 13:30:58", "--period-ms", "0", "--console-alerts"},
                        {{"IOWVIRT_STATE", state}, {"IOWVIRT", "tick"}});
            const std::string pair = std::string(a) + "," + b;
            std::vector<std::string> arguments{"--check", "--timeout-ms", "200"};
            arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
            const Finished run = run_program(
                kHost, arguments,
                {{"IOWVIRT_STATE", state}, {"IOWVIRT", pair}, {"RTC_HOST_CLOCK", "simulated"}});
            // A new chip under values that are no time: the values are wrong first.
            const int expected = pair == "fresh,invalid" ? 5 : std::min(first_a, first_b);
            const std::string found = verdicts(run.out);
            EXPECT_EQ(found.find("DEFAUT") == std::string::npos
                          ? 7
                          : static_cast<int>(std::count(found.begin(),
                                                        found.begin() + found.find("DEFAUT"), ' ')),
                      expected)
                << pair << ": " << run.out;
            if (pair.find("no-chip") != std::string::npos) {
                EXPECT_EQ(run.out.find("l'horloge répond"), std::string::npos) << pair << run.out;
                EXPECT_EQ(run.out.find("n'y est pour rien"), std::string::npos) << pair << run.out;
            }
        }
    }
}

TEST(WiringCheck, TheAdviceActsOnTheBoardThatWasChecked) {
    const std::string device = library_in(own_folder(), kDeviceFile);
    Finished run = check({"--period-ms", "0", "--device", device}, "tick,fresh");
    EXPECT_TRUE(says(run, "(rtc_host --device " + device + " --set now --check).\n")) << run.out;
    run = check({"--period-ms", "0"}, "tick,fresh");
    EXPECT_TRUE(says(run, "(rtc_host --set now --check).\n")) << run.out;
}

TEST(WiringCheck, AClockSetFirstIsGoodThroughout) {
    // No --period-ms: the check reads every 100 ms, and sees the tick at once.
    const Finished run = check({"--set", "2011-12-31 13:30:58"}, "tick");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out,
              "OK       Bibliothèque de l'IOW24 : " + library_in(own_folder(), kDeviceFile) +
                  " : l'IOW24 virtuel de rtc_iow24, pas du matériel.\n"
                  "OK       IOW24 sur l'USB : trouvé.\n"
                  "OK       Mode I²C de l'IOW24 : activé.\n"
                  "OK       Réponse de l'horloge : l'horloge répond à l'adresse D0 (0x68) du bus "
                  "I²C.\n"
                  "OK       Horloge en marche : le bit d'arrêt des secondes est à 0.\n"
                  "OK       Heure et date valides : 13:30:59 le 31/12/2011.\n"
                  "OK       L'horloge avance : +1 s en 0,1 s.\n"
                  "Bilan : tout est bon : le bloc peut lire et écrire l'horloge. IOW24 virtuel : "
                  "aucun matériel n'a été vérifié.\n");
}

TEST(WiringCheck, EachFaultOfTheVirtualIow24IsNamed) {
    struct Case {
        std::vector<std::string> arguments;
        const char* iowvirt;
        const char* verdicts;
        const char* words;
    };
    const Case cases[] = {
        {{},
         "absent",
         "OK DEFAUT INCONNU INCONNU INCONNU INCONNU INCONNU",
         "DEFAUT   IOW24 sur l'USB : introuvable."},
        {{},
         "no-chip",
         "OK OK OK DEFAUT INCONNU INCONNU INCONNU",
         "DEFAUT   Réponse de l'horloge : l'horloge ne répond pas à l'adresse D0 (0x68)."},
        {{},
         "invalid",
         "OK OK OK OK OK DEFAUT INCONNU",
         "DEFAUT   Heure et date valides : les registres ne tiennent pas une heure et une date "
         "valides"},
        {{"--set", "now"},
         "frozen",
         "OK OK OK OK OK OK DEFAUT",
         "DEFAUT   L'horloge avance : l'horloge n'avance pas en 1,5 s alors que son bit d'arrêt "
         "est à 0."},
        // A reply of fewer than 8 bytes is no reply, and no wiring fault.
        {{},
         "short-read",
         "OK OK OK DEFAUT INCONNU INCONNU INCONNU",
         "DEFAUT   Réponse de l'horloge : l'horloge répond, mais l'IOW24 n'a rendu que 7 octets "
         "sur 8 d'une réponse : le câblage n'y est pour rien."},
        {{},
         "silent",
         "OK OK OK DEFAUT INCONNU INCONNU INCONNU",
         "DEFAUT   Réponse de l'horloge : l'IOW24 ne répond plus : aucune réponse en 300 ms, au "
         "pas 1 ; dernier rapport envoyé à l'IOW24 : 02 C2 D0 00 00 00 00 00 (appel : "
         "IowKitRead, dans CCalculate). Débranchez l'IOW24, rebranchez-le, puis relancez la "
         "vérification.\n"},
        // The start of a run stalls: the open, then the switch to I2C mode.
        {{},
         "silent-open",
         "OK DEFAUT INCONNU INCONNU INCONNU INCONNU INCONNU",
         "DEFAUT   IOW24 sur l'USB : l'IOW24 ne répond plus : aucune réponse en 300 ms, au début "
         "de la simulation ; aucun rapport envoyé à l'IOW24 (appel : IowKitOpenDevice, dans "
         "CSimStart)."},
        {{},
         "silent-write",
         "OK OK DEFAUT INCONNU INCONNU INCONNU INCONNU",
         "DEFAUT   Mode I²C de l'IOW24 : l'IOW24 ne répond plus : aucune réponse en 300 ms, au "
         "début de la simulation ; dernier rapport envoyé à l'IOW24 : 01 01 00 00 00 00 00 00 "
         "(appel : IowKitWrite, dans CSimStart)."},
        {{},
         "silent-write:1",
         "OK OK OK DEFAUT INCONNU INCONNU INCONNU",
         "DEFAUT   Réponse de l'horloge : l'IOW24 ne répond plus : aucune réponse en 300 ms, au "
         "pas 1 ; dernier rapport envoyé à l'IOW24 : 02 C2 D0 00 00 00 00 00 (appel : "
         "IowKitWrite, dans CCalculate)"},
        // Six replies come: the setting step's two, the first read's four.
        {{"--set", "now"},
         "silent:6",
         "OK OK OK OK OK OK DEFAUT",
         "DEFAUT   L'horloge avance : l'IOW24 ne répond plus : aucune réponse en 300 ms, au pas 3 "
         "; dernier rapport envoyé à l'IOW24 : 02 C2 D0 00"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--timeout-ms", "300"});
        const Finished run = check(arguments, c.iowvirt);
        EXPECT_EQ(run.status, kExitFault) << c.iowvirt;
        EXPECT_EQ(verdicts(run.out), c.verdicts) << c.iowvirt << "\n" << run.out;
        EXPECT_TRUE(says(run, c.words)) << c.iowvirt << "\n" << run.out;
    }
}

TEST(WiringCheck, GivesRowsForScripts) {
    const Finished run = check({"--period-ms", "0", "--format", "csv"}, "no-chip");
    EXPECT_EQ(run.status, kExitFault);
    std::istringstream lines(run.out);
    std::string line, keys;
    while (std::getline(lines, line))
        keys += line.substr(0, line.find(',', line.find(',') + 1)) + ";";
    EXPECT_EQ(keys,
              "constat,verdict;bibliotheque,OK;iow24,OK;i2c,OK;horloge,DEFAUT;marche,INCONNU;"
              "registres,INCONNU;avance,INCONNU;bilan,DEFAUT;");
}

TEST(WiringCheck, ReadsOnlyItsOwnWayAndLeavesTheChipUnwrittenWithoutSet) {
    const Finished traced = check({"--period-ms", "0", "--trace"}, "tick");
    EXPECT_NE(traced.err.find("écriture I2C, start, stop, 2 octets"), std::string::npos)
        << traced.err;
    EXPECT_EQ(traced.err.find("écriture I2C, start, 6 octets"), std::string::npos) << traced.err;
    const Finished both = check({"--read", "2"}, "tick");
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("Erreur : --check lit l'horloge lui-même ; il ne va pas avec --read "
                            "ni --script\n"),
              std::string::npos)
        << both.err;
}

TEST(WiringCheck, SaysWhenTheDeviceLibraryIsNotTheVirtualIow24) {
    const std::string other = library_in(own_folder() + "autre", kDeviceFile);
    const Finished run = check({"--device", other}, "");
    EXPECT_EQ(run.status, kExitFault);
    EXPECT_EQ(run.out.rfind("OK       Bibliothèque de l'IOW24 : " + other +
                                " : pas l'IOW24 virtuel.\nDEFAUT   IOW24 sur l'USB : introuvable.",
                            0),
              0u)
        << run.out;
    EXPECT_EQ(run.out.find("aucun matériel"), std::string::npos) << run.out;
}

TEST(WiringCheck, WithHardwareAskedTheVirtualIow24IsAFaultOfTheSetup) {
    const std::string virtual_library = library_in(own_folder(), kDeviceFile);
    Finished run = check({"--hardware", "--device", virtual_library}, "tick");
    EXPECT_EQ(run.status, kExitFault);
    EXPECT_EQ(run.out.rfind("DEFAUT   Bibliothèque de l'IOW24 : " + virtual_library +
                                " : c'est l'IOW24 virtuel de rtc_iow24, pas la bibliothèque du "
                                "fabricant ; aucun matériel ne peut être vérifié avec elle. "
                                "Supprimez cette copie",
                            0),
              0u)
        << run.out;
    EXPECT_EQ(verdicts(run.out), "DEFAUT INCONNU INCONNU INCONNU INCONNU INCONNU INCONNU");

    const std::string other = library_in(own_folder() + "autre", kDeviceFile);
    run = check({"--hardware", "--device", other}, "");
    EXPECT_EQ(run.out.rfind("OK       Bibliothèque de l'IOW24 : " + other, 0), 0u) << run.out;

    run = run_program(kHost, {"--hardware", "--read", "1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--hardware ne va qu'avec --check"), std::string::npos) << run.err;
}

TEST(WiringCheck, AClockInTwelveHourModeIsAFaultThatNamesIt) {
    const std::string state = scratch_folder("douze-heures") + "etat";
    // 9 PM in 12-hour mode: the script's HEU = 69 is written as 0x69.
    const std::string script =
        scratch_file("douze-heures.csv", "init,sec,min,heu,dat,moi,ann\n5,30,15,69,8,3,2011\n");
    const std::string now = "1796634000";
    ASSERT_EQ(
        run_program(kHost, {"--script", script}, {{"IOWVIRT_STATE", state}, {"IOWVIRT_NOW", now}})
            .status,
        0);
    // The first read ticks the clock one second on.
    const Finished run = run_program(kHost, {"--check"},
                                     {{"IOWVIRT_STATE", state},
                                      {"IOWVIRT_NOW", now},
                                      {"IOWVIRT", "tick"},
                                      {"RTC_HOST_CLOCK", "simulated"}});
    EXPECT_EQ(run.status, kExitFault);
    EXPECT_TRUE(says(run,
                     "DEFAUT   Heure et date valides : l'horloge est en mode 12 heures "
                     "(9:15:31 PM le 08/03/2011) : le bloc lit les heures en mode 24 heures, "
                     "et HEU vaudrait 69."))
        << run.out;
}

// Reads as fast as possible still give the clock 1,5 s to tick.
TEST(WiringCheck, NoPeriodStillWaitsForTheTick) {
    const Finished run = check({"--set", "now", "--period-ms", "0"}, "", kPcClockStill);
    EXPECT_TRUE(says(run, "DEFAUT   L'horloge avance : l'horloge n'avance pas en 1,5 s"))
        << run.out;
    EXPECT_EQ(check({"--set", "now", "--period-ms", "0"}, "tick").status, 0);
    EXPECT_EQ(check({"--set", "now", "--period-ms", "1500"}, "tick").status, 0);
}

TEST(WiringCheck, WaitsForTheTickAtItsOwnPaceAndNoLonger) {
    // Without tick the virtual clock runs on the PC's clock, which does not
    // move between simulated reads: the check gives up 1,5 s in, after 15
    // reads 100 ms apart, and says so.
    const Finished run = check({"--set", "now", "--trace"}, "", kPcClockStill);
    EXPECT_EQ(run.status, kExitFault);
    EXPECT_TRUE(says(run, "DEFAUT   L'horloge avance : l'horloge n'avance pas en 1,5 s"))
        << run.out;
    std::size_t reads = 0;
    for (std::size_t at = 0; (at = run.err.find("02 C2 D0 00 00", at)) != std::string::npos; ++at)
        ++reads;
    EXPECT_EQ(reads, 16u) << run.err;
}

TEST(HostProgram, ARunWhoseIow24StopsAnsweringEndsWithItsOwnStatus) {
    const Finished run =
        run_program(kHost, {"--read", "2", "--timeout-ms", "300", "--console-alerts"},
                    {{"IOWVIRT", "silent:4"}});
    EXPECT_EQ(run.status, 5);
    EXPECT_NE(run.err.find("Erreur : l'IOW24 ne répond plus : aucune réponse en 300 ms, au pas "
                           "2 ; dernier rapport envoyé à l'IOW24 : 02 C2 D0 00 00 00 00 00 "
                           "(appel : IowKitRead, dans CCalculate). Débranchez l'IOW24, "
                           "rebranchez-le, puis relancez ; si cela revient, lancez rtc_host "
                           "--check.\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("   1  lecture"), std::string::npos) << run.out;
}

// A device library whose close never returns is bounded like any other
// call; only the virtual IOW24's close, which writes its file, is not.
TEST(HostProgram, ADeviceLibraryWhoseCloseHangsIsToldAsAStall) {
    const std::string stuck = own_folder() + "bloquee" + kSeparator + kDeviceFile;
    const Finished run = run_program(
        kHost, {"--device", stuck, "--read", "1", "--timeout-ms", "300", "--console-alerts"});
    EXPECT_EQ(run.status, 5) << run.err;
    EXPECT_NE(run.err.find("Erreur : l'IOW24 ne répond plus : aucune réponse en 300 ms, à la fin "
                           "de la simulation"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("(appel : IowKitCloseDevice, dans CSimStop)"), std::string::npos)
        << run.err;
}

}  // namespace
