// Values of a script that the clock chip cannot hold are said where they
// are, with what the chip will get; the run goes on as a simulator's would.
#include <gtest/gtest.h>

#include "host/valeurs.h"
#include "tests/host/hote.h"
#include "tests/host/processus.h"

namespace {

const std::vector<std::string> kPins{"RD", "sec", "min", "heu", "dat", "moi", "ann", "init"};

std::vector<std::string> said(const std::string& script_text, std::size_t most = 20) {
    const host::Script script = host::parse_script(script_text, kPins);
    EXPECT_EQ(script.error, "");
    return host::values_the_clock_cannot_hold(script, kPins, most);
}

TEST(ValuesTheClockCannotHold, EachIsSaidWithItsPlaceAndWhatTheChipGets) {
    const std::vector<std::string> lines =
        said("# réglages\ninit,ann,moi,sec\n5,11,13,75\n5,1999,12,59\n5,2011,3,45.9\n");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0],
              "ligne 3, colonne 2 (ann) : l'horloge ne peut pas tenir 11 (une année de 2000 à "
              "2099) ; elle recevra l'octet 0x59, que le bloc relira comme ANN = 59.");
    EXPECT_EQ(lines[1],
              "ligne 3, colonne 3 (moi) : l'horloge ne peut pas tenir 13 (un mois de 1 à 12) ; "
              "elle recevra l'octet 0x13, que le bloc relira comme MOI = 13.");
    EXPECT_NE(lines[2].find("ligne 3, colonne 4 (sec) : l'horloge ne peut pas tenir 75"),
              std::string::npos);
    EXPECT_NE(lines[3].find("ligne 4, colonne 2 (ann) : l'horloge ne peut pas tenir 1999 (une "
                            "année de 2000 à 2099) ; elle recevra l'octet 0x95"),
              std::string::npos);
    EXPECT_NE(lines[4].find("ligne 5, colonne 4 (sec) : l'horloge ne peut pas tenir 45.9"),
              std::string::npos);
}

TEST(ValuesTheClockCannotHold, OnlyStepsThatWriteTheClockCountAndPinsLeftOutAreNotValues) {
    // "init" at the logic level (2.5) is low; RD steps write nothing.
    EXPECT_TRUE(said("init,RD,sec\n2.5,5,99\n0,5,99\n").empty());
    // The date pins left out are 0 but were never written by the teacher.
    EXPECT_TRUE(said("init,sec,min,heu\n5,0,0,0\n").empty());
    EXPECT_TRUE(
        said("init,sec,min,heu,dat,moi,ann\n5,59,59,23,31,12,2099\n5,0,0,0,1,1,2000\n").empty());
}

TEST(ValuesTheClockCannotHold, AFrenchExcelScriptIsAnsweredInItsOwnNumbersAndAFloodIsCounted) {
    const std::vector<std::string> french = said("init;sec\n5;45,9\n");
    ASSERT_EQ(french.size(), 1u);
    EXPECT_NE(french[0].find("tenir 45,9 (des secondes"), std::string::npos) << french[0];
    std::string many = "init,sec\n";
    for (int i = 0; i < 30; ++i)
        many += "5,60\n";
    const std::vector<std::string> lines = said(many, 20);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines.back(), "et 10 autres valeurs que l'horloge ne peut pas tenir.");
}

TEST(ValuesTheClockCannotHold, RtcHostSaysThemAndRunsTheScriptAllTheSame) {
    const std::string script = scratch_file(
        "valeurs.csv", "init,RD,sec,min,heu,dat,moi,ann\n5,0,75,30,13,8,3,11\n0,5,0,0,0,0,0,0\n");
    const Finished run = run_program(kHost, {"--script", script, "--period-ms", "0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Attention : " + script +
                           " : ligne 2, colonne 3 (sec) : l'horloge ne peut pas tenir 75"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("(ann) : l'horloge ne peut pas tenir 11"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("2,75,30,13,8,3,59"), std::string::npos) << run.out;
}

}  // namespace
