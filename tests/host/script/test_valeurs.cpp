// What an "init" step writes that the clock chip cannot hold is said where
// it is, with what the chip will get, before the run; the run goes on as a
// simulator's would. So is a script that never drives "init" or "RD" high.
#include <gtest/gtest.h>

#include "host/script/valeurs.h"
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
        said("# réglages\ninit,ann,moi,sec\n5,11,13,75\n5,1999,12,59\n5,2011,3,-1\n");
    const std::vector<std::string> expected{
        "ligne 3, colonne 2 (ann) : l'horloge ne peut pas tenir 11 (une année de 2000 à 2099) ; "
        "elle recevra l'octet 0x59, que le bloc relira comme ANN = 59.",
        "ligne 3, colonne 3 (moi) : l'horloge ne peut pas tenir 13 (un mois de 1 à 12) ; elle "
        "recevra l'octet 0x13, que le bloc relira comme MOI = 13.",
        "ligne 3, colonne 4 (sec) : l'horloge ne peut pas tenir 75 (des secondes de 0 à 59) ; "
        "elle recevra l'octet 0x75, que le bloc relira comme SEC = 75.",
        // The date column the header leaves out is day 0, on every step.
        "ligne 3 (dat, absente de l'en-tête : 0) : l'horloge ne peut pas tenir 0 (un jour de 1 "
        "à 31) ; elle recevra l'octet 0x00, que le bloc relira comme DAT = 0.",
        "ligne 4, colonne 2 (ann) : l'horloge ne peut pas tenir 1999 (une année de 2000 à 2099) "
        "; elle recevra l'octet 0x95, que le bloc relira comme ANN = 95.",
        "ligne 4 (dat, absente de l'en-tête : 0) : l'horloge ne peut pas tenir 0 (un jour de 1 "
        "à 31) ; elle recevra l'octet 0x00, que le bloc relira comme DAT = 0.",
        // A seconds byte with its top bit set stops the oscillator.
        "ligne 5, colonne 4 (sec) : l'horloge ne peut pas tenir -1 (des secondes de 0 à 59) ; "
        "elle recevra l'octet 0x95, que le bloc relira comme SEC = 95, et dont le bit 7 arrête "
        "l'oscillateur : l'horloge restera arrêtée.",
        "ligne 5 (dat, absente de l'en-tête : 0) : l'horloge ne peut pas tenir 0 (un jour de 1 "
        "à 31) ; elle recevra l'octet 0x00, que le bloc relira comme DAT = 0.",
    };
    EXPECT_EQ(lines, expected);
}

TEST(ValuesTheClockCannotHold, DaysTheCalendarHasNotAndAbsentDatesAreToldAndTruncationIsNot) {
    const std::string head = "init;RD;sec;min;heu;dat;moi;ann\n";
    const std::pair<std::string, std::string> cases[] = {
        {"5;0;0;0;0;30;2;2011",
         "ligne 2, colonne 6 (dat) : le 30/02/2011 n'existe pas : février 2011 n'a que 28 "
         "jours ; l'horloge recevra ce jour tel quel."},
        {"5;0;0;0;0;31;4;2011", "ligne 2, colonne 6 (dat) : le 31/04/2011 n'existe pas : avril"},
        {"5;0;0;0;0;29;2;2011", "ligne 2, colonne 6 (dat) : le 29/02/2011 n'existe pas"},
        {"5;0;0;0;40;1;1;2011",
         "que le bloc relira comme HEU = 40, et dont le bit 6 met "
         "l'horloge en mode 12 heures."},
        // What the guide promises: values truncated as the block does.
        {"5;0;59,9;59;23,5;29;2;2012", ""},
        {"5;0;0;0;0;31;12;2099,7", ""},
        {"5;0;;;;1;1;2000", ""},
        {"0;5;-1;99;99;31;2;1", ""},  // no "init": nothing is written
    };
    for (const auto& [row, line] : cases) {
        const std::vector<std::string> lines = said(head + row + "\n");
        if (line.empty()) {
            EXPECT_TRUE(lines.empty()) << row << ": " << lines.at(0);
            continue;
        }
        ASSERT_EQ(lines.size(), 1u) << row;
        EXPECT_NE(lines[0].find(line), std::string::npos) << lines[0];
    }
    // A script of "init" and "RD" alone writes day 0, month 0 and the year
    // 2000 less 2000.
    const std::vector<std::string> bare = said("init;RD\n5;0\n");
    ASSERT_EQ(bare.size(), 3u);
    EXPECT_EQ(bare[0].rfind("ligne 2 (dat, absente de l'en-tête : 0)", 0), 0u);
    EXPECT_EQ(bare[1].rfind("ligne 2 (moi, absente de l'en-tête : 0)", 0), 0u);
    EXPECT_EQ(bare[2].rfind("ligne 2 (ann, absente de l'en-tête : 0)", 0), 0u);
    // "init" at the logic level (2.5) is low.
    EXPECT_TRUE(said("init,RD,sec\n2.5,5,99\n").empty());
}

TEST(ValuesTheClockCannotHold, AFrenchExcelScriptIsAnsweredInItsOwnNumbersAndAFloodIsCounted) {
    const std::vector<std::string> french = said("init;sec;dat;moi;ann\n5;60,5;1;1;2011\n");
    ASSERT_EQ(french.size(), 1u);
    EXPECT_NE(french[0].find("tenir 60,5 (des secondes"), std::string::npos) << french[0];
    std::string many = "init,sec,dat,moi,ann\n";
    for (int i = 0; i < 30; ++i)
        many += "5,60,1,1,2011\n";
    const std::vector<std::string> lines = said(many, 20);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines.back(), "et 10 autres valeurs que l'horloge ne peut pas tenir.");
}

TEST(ValuesTheClockCannotHold, RtcHostSaysThemAndAnIdleScriptThenRunsTheScriptAllTheSame) {
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
    EXPECT_EQ(run.err.find("niveau haut"), std::string::npos) << run.err;
    // A teacher who wrote 1 for "high": the run does nothing, and is told why.
    const std::string idle = scratch_file("un.csv", "init;RD;sec\n1;0;45\n0;1;0\n");
    const Finished nothing = run_program(kHost, {"--script", idle, "--period-ms", "0"});
    EXPECT_EQ(nothing.status, 0) << nothing.err;
    EXPECT_NE(nothing.err.find("Attention : " + idle +
                               " : aucun pas ne met \"init\" ni \"RD\" au niveau haut"),
              std::string::npos)
        << nothing.err;
    EXPECT_NE(nothing.err.find("écrivez 5 pour haut"), std::string::npos) << nothing.err;
}

}  // namespace
