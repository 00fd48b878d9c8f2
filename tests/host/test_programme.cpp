// The stand-in host as a user runs it: a process against the real block and
// the virtual IOW24, its table, CSV, trace, alerts and exit statuses.
#include <gtest/gtest.h>

#include "tests/host/hote.h"
#include "tests/host/processus.h"

namespace {

// The virtual clock stands still, so that what is read is what was set.
const std::vector<std::pair<std::string, std::string>> kFrozen{{"IOWVIRT", "frozen"}};

Finished host(std::vector<std::string> arguments,
              const std::vector<std::pair<std::string, std::string>>& environment = kFrozen) {
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    return run_program(kHost, arguments, environment);
}

const std::string kFound =
    "[Recherche IOW24] IOW24 d\u00e9tect\u00e9 : initialisation de la liaison I\u00b2C\n";

TEST(HostProgram, SetsThenReadsAndPrintsATableByPinName) {
    const Finished run = host({"--set", "2011-12-31 23:59:58", "--read", "2", "--period-ms", "0"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              " pas  action      SEC    MIN    HEU    DAT    MOI    ANN\n"
              "   1  écriture      -      -      -      -      -      -\n"
              "   2  lecture      58     59     23     31     12     11\n"
              "   3  lecture      58     59     23     31     12     11\n");
    // The same second twice: the clock counts whole seconds, as it says.
    EXPECT_EQ(run.err,
              "Remarque : l'horloge compte en secondes entières ; des lectures à moins d'une "
              "seconde d'écart (--period-ms 0) peuvent donner la même heure.\n" +
                  std::string(kFound));
}

TEST(HostProgram, PrintsCsvOnRequest) {
    const Finished run = host(
        {"--set", "2024-02-29 12:00:00", "--read", "1", "--period-ms", "0", "--format", "csv"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "pas,SEC,MIN,HEU,DAT,MOI,ANN\n1,,,,,,\n2,0,0,12,29,2,24\n");
}

TEST(HostProgram, RunsAScriptOfInputRowsAndAnswersInCsv) {
    const std::string script = scratch_file("run.csv",
                                            "init,RD,sec,min,heu,dat,moi,ann\n"
                                            "5,0,45,30,13,8,3,2011\n"
                                            "0,5,0,0,0,0,0,0\n"
                                            "0,0,0,0,0,0,0,0\n");
    const Finished run = host({"--script", script, "--period-ms", "0"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "pas,SEC,MIN,HEU,DAT,MOI,ANN\n1,,,,,,\n2,45,30,13,8,3,11\n3,45,30,13,8,3,11\n");
}

TEST(HostProgram, TracesEveryReportBothWays) {
    // A chip never set: its seconds register holds the halt bit.
    const Finished run = host({"--read", "1", "--trace"}, {{"IOWVIRT", "fresh"}});
    EXPECT_EQ(run.status, 0);
    const char* lines[] = {
        "trace: ouverture  IOW24 trouvé\n",
        "trace: > 01 01 00 00 00 00 00 00  mode I2C activé\n",
        ("trace: > 02 C2 D0 00 00 00 00 00  écriture I2C, start, stop, 2 octets : D0 00 "
         "(adresse D0, écriture)\n"),
        "trace: < 02 02 00 00 00 00 00 00  réponse au rapport 02 : bonne\n",
        "trace: > 03 03 D1 00 00 00 00 00  lecture I2C de 3 octets à l'adresse D1\n",
        "trace: < 03 03 80 00 00 00 00 00  réponse au rapport 03 : bonne, données 80 00 00\n",
        "trace: > 01 00 00 00 00 00 00 00  mode I2C désactivé\n",
        "trace: fermeture\n",
    };
    std::size_t from = 0;
    for (const char* line : lines) {
        const std::size_t at = run.err.find(line, from);
        ASSERT_NE(at, std::string::npos) << line << "in:\n" << run.err;
        from = at;
    }
}

TEST(HostProgram, AClockChipOffTheBusShowsInTheTraceAndTheAlerts) {
    const Finished run = host({"--read", "1", "--trace"}, {{"IOWVIRT", "no-chip"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(
        run.err.find("trace: < 02 80 00 00 00 00 00 00  réponse au rapport 02 : ÉCHEC (état 80)\n"
                     "[Leture] Erreur de transmission\n"),
        std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("[LECTURE] Erreur de lecture\n"), std::string::npos);
    EXPECT_NE(run.out.find("   1  lecture       -      -      -      -      -      -\n"),
              std::string::npos)
        << run.out;
}

TEST(HostProgram, TheTraceShowsOnlyTheBytesAReadBrought) {
    // The buffer still holds the request: none of it is a reply.
    Finished run = host({"--read", "1", "--trace"}, {{"IOWVIRT", "absent"}});
    EXPECT_NE(run.err.find("trace: < (aucun octet reçu)  pas de réponse [0 octet(s) sur 8 "
                           "seulement]\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("trace: < 02 C2 D0"), std::string::npos) << run.err;
    run = host({"--read", "1", "--trace"}, {{"IOWVIRT", "short-read"}});
    EXPECT_NE(run.err.find("trace: < 02 02 00 00 00 00 00  pas de réponse [7 octet(s) sur 8 "
                           "seulement]\n"),
              std::string::npos)
        << run.err;
}

TEST(HostProgram, WithoutAnIow24EveryAlertIsShownAndTheRunEnds) {
    const Finished run = host({"--read", "1"}, {{"IOWVIRT", "absent"}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "[Recherche IOW24] Echec lors de l'ouverture de IOW24\n"
              "[Ecriture] Echec pour initialiser l'I2C\n"
              "[Leture] Erreur de transmission\n"
              "[LECTURE] Erreur de lecture\n"
              "[Leture] Erreur de transmission\n"
              "[LECTURE] Erreur de lecture\n"
              "[Ecriture] Echec pour initialiser l'I2C\n");
    // Nothing was read: no output reads like a clock at midnight.
    EXPECT_EQ(run.out,
              " pas  action      SEC    MIN    HEU    DAT    MOI    ANN\n"
              "   1  lecture       -      -      -      -      -      -\n");
}

TEST(HostProgram, ABadCommandLineIsAUsageError) {
    const Finished bogus = host({"--bogus"});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_EQ(bogus.out, "");
    EXPECT_EQ(bogus.err, "Erreur : argument inconnu \"--bogus\"\nEssayez 'rtc_host --help'.\n");
    const Finished date = host({"--set", "2011-02-30 10:00:00"});
    EXPECT_EQ(date.status, 2);
    EXPECT_NE(
        date.err.find(
            "Erreur : --set \"2011-02-30 10:00:00\" : cette date ou cette heure n'existe pas\n"),
        std::string::npos);
}

TEST(HostProgram, ABadScriptIsAUsageErrorNamingItsLineAndColumn) {
    const std::string script = scratch_file("bad.csv", "RD,sec\n5,x\n");
    const Finished run = host({"--script", script});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Erreur : " + script +
                           " : ligne 2, colonne 2 (sec) : pas un nombre : \"x\"\n"),
              std::string::npos)
        << run.err;
    const Finished missing = host({"--script", script + ".none"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("Erreur : impossible de lire le script " + script +
                               ".none : fichier introuvable\n"),
              std::string::npos)
        << missing.err;
}

TEST(HostProgram, ALibraryThatCannotBeLoadedHasItsOwnStatus) {
    const Finished device = host({"--device", "no-such-folder/iowkit.lib"});
    EXPECT_EQ(device.status, 3);
    EXPECT_EQ(device.err.rfind("Erreur : impossible de charger la bibliothèque de l'IOW24 "
                               "no-such-folder/iowkit.lib : ",
                               0),
              0u)
        << device.err;
    const Finished block = host({"--block", "no-such-block.lib"});
    EXPECT_EQ(block.status, 3);
    EXPECT_EQ(block.err.rfind("Erreur : impossible de charger le bloc no-such-block.lib : ", 0), 0u)
        << block.err;
    EXPECT_EQ(block.out, "");
}

TEST(HostProgram, HelpGoesToStdout) {
    const Finished run = host({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage : rtc_host [options]\n", 0), 0u);
    EXPECT_EQ(run.err, "");
    // Students read it: the teacher's view of the exercise is not there.
    EXPECT_EQ(run.out.find("exercice"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("--copies"), std::string::npos) << run.out;
}

}  // namespace
