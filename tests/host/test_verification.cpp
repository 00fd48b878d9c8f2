// rtc_host --check as a teacher runs it, against the virtual IOW24 set up
// as each fault: what it finds, in which words, and its exit status.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/host/hote.h"
#include "tests/host/processus.h"

namespace {

constexpr int kExitFault = 4;

// `tick` moves the virtual clock one second per read request, so that the
// check's two reads need no wait between them.
Finished check(std::vector<std::string> arguments, const std::string& iowvirt) {
    arguments.insert(arguments.begin(), "--check");
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    return run_program(kHost, arguments, {{"IOWVIRT", iowvirt}});
}

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

TEST(WiringCheck, AFreshChipIsHalted) {
    const Finished run = check({"--period-ms", "0"}, "tick");
    EXPECT_EQ(run.status, kExitFault);
    EXPECT_EQ(verdicts(run.out), "OK OK OK DEFAUT INCONNU INCONNU") << run.out;
    EXPECT_TRUE(says(run,
                     "DEFAUT   Horloge en marche : l'horloge est arrêtée (bit 7 des "
                     "secondes à 1 : le bloc lit SEC = 80 ou plus)."))
        << run.out;
    EXPECT_TRUE(says(run, "\nBilan : un défaut ; corrigez-le, puis relancez la vérification.\n"));
}

TEST(WiringCheck, AClockSetFirstIsGoodThroughout) {
    const Finished run = check({"--set", "2011-12-31 13:30:58", "--period-ms", "0"}, "tick");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out,
              "OK       IOW24 sur l'USB : trouvé.\n"
              "OK       Mode I²C de l'IOW24 : activé.\n"
              "OK       Réponse de l'horloge : l'horloge répond à l'adresse D0 (0x68) du bus "
              "I²C.\n"
              "OK       Horloge en marche : le bit d'arrêt des secondes est à 0.\n"
              "OK       Heure et date valides : 13:30:59 le 31/12/2011.\n"
              "OK       L'horloge avance : +2 s en 0,0 s.\n"
              "Bilan : tout est bon : le bloc peut lire et écrire l'horloge.\n");
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
         "DEFAUT INCONNU INCONNU INCONNU INCONNU INCONNU",
         "DEFAUT   IOW24 sur l'USB : introuvable."},
        {{},
         "no-chip",
         "OK OK DEFAUT INCONNU INCONNU INCONNU",
         "DEFAUT   Réponse de l'horloge : l'horloge ne répond pas à l'adresse D0 (0x68)."},
        {{},
         "invalid",
         "OK OK OK OK DEFAUT INCONNU",
         "DEFAUT   Heure et date valides : les registres ne tiennent pas une heure et une date "
         "valides"},
        {{"--set", "now"},
         "frozen",
         "OK OK OK OK OK DEFAUT",
         "DEFAUT   L'horloge avance : l'horloge n'avance pas en 0,0 s alors que son bit d'arrêt "
         "est à 0."},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--period-ms", "0"});
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
              "constat,verdict;iow24,OK;i2c,OK;horloge,DEFAUT;marche,INCONNU;registres,INCONNU;"
              "avance,INCONNU;bilan,DEFAUT;");
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

}  // namespace
