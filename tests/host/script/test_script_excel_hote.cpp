// rtc_host runs the scripts a French PC writes, and answers in their form.
#include <gtest/gtest.h>

#include "tests/host/hote.h"
#include "tests/host/processus.h"

namespace {

const Environment kFrozen{{"IOWVIRT", "frozen"}};
const std::string kBom = "\xEF\xBB\xBF";

Finished script_run(const std::string& name, const std::string& text,
                    std::vector<std::string> more = {}) {
    std::vector<std::string> arguments{"--script", scratch_file(name, text), "--period-ms", "0"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    return run_program(kHost, arguments, kFrozen);
}

TEST(ExcelScripts, FrenchExcelsCsvRunsAndAnswersInItsForm) {
    const Finished run = script_run("excel.csv",
                                    "init;RD;sec;min;heu;dat;moi;ann\r\n"
                                    "5;0;45,9;30;13;8;3;2011\r\n"
                                    ";;;;;;;\r\n"
                                    "0;5;;;;;;\r\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, kBom + "pas;SEC;MIN;HEU;DAT;MOI;ANN\n1;;;;;;\n2;45;30;13;8;3;11\n");
    EXPECT_EQ(run.err.find("Attention"), std::string::npos) << run.err;
}

TEST(ExcelScripts, AMarkedOrTabbedScriptRunsAndACommaScriptIsAsBefore) {
    const std::string rows = "5\t0\t45\t30\t13\t8\t3\t2011\n0\t5\t\t\t\t\t\t\n";
    const Finished tabs = script_run("tabs.txt", "init\tRD\tsec\tmin\theu\tdat\tmoi\tann\n" + rows);
    EXPECT_EQ(tabs.status, 0) << tabs.err;
    EXPECT_EQ(tabs.out, kBom + "pas;SEC;MIN;HEU;DAT;MOI;ANN\n1;;;;;;\n2;45;30;13;8;3;11\n");
    const Finished marked = script_run("marque.csv", kBom +
                                                         "init,RD,sec,min,heu,dat,moi,ann\r\n"
                                                         "5,0,45,30,13,8,3,2011\r\n"
                                                         "0,5,0,0,0,0,0,0\r\n");
    EXPECT_EQ(marked.status, 0) << marked.err;
    EXPECT_EQ(marked.out, "pas,SEC,MIN,HEU,DAT,MOI,ANN\n1,,,,,,\n2,45,30,13,8,3,11\n");
    // The form of the results can be chosen whatever the script's.
    const Finished chosen =
        script_run("choisi.csv", "init,RD,sec\n5,0,45\n0,5,0\n", {"--format", "excel"});
    EXPECT_EQ(chosen.out.substr(0, 32), kBom + "pas;SEC;MIN;HEU;DAT;MOI;ANN\n1");
}

TEST(ExcelScripts, ABadValueOrPinIsToldAtItsPlaceWithoutTheMark) {
    const Finished value = script_run("mauvais.csv", kBom + "init;RD;x\r\n");
    EXPECT_EQ(value.status, 2);
    EXPECT_EQ(value.err.find(kBom), std::string::npos);
    EXPECT_NE(value.err.find("ligne 1, colonne 3 : \"x\" n'est pas une entrée du bloc"),
              std::string::npos)
        << value.err;
    const Finished at = script_run("valeur.csv", kBom + "init;RD;sec\r\n5;0;4,5x\r\n");
    EXPECT_EQ(at.status, 2);
    EXPECT_NE(at.err.find("ligne 2, colonne 3 (sec) : pas un nombre : \"4,5x\"\n"),
              std::string::npos)
        << at.err;
}

}  // namespace
