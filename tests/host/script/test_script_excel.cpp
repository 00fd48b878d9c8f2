// Scripts as a French PC writes tables: French Excel's CSV (semicolons,
// decimal commas, CRLF), Excel's UTF-8 and Unicode saves (byte-order
// marks), cells copied from Excel (tabs), quoted fields, and odd bytes.
#include <gtest/gtest.h>

#include "host/commun/options.h"
#include "host/script/script.h"
#include "host/script/table.h"

namespace {

const std::vector<std::string> kPins{"RD", "sec", "min", "heu", "dat", "moi", "ann", "init"};
const std::vector<double> kSet{0, 45.9, 30, 13, 8, 3, 2011, 5};
const std::string kBom = "\xEF\xBB\xBF";
const std::string kSemicolons =
    " ; pour écrire des virgules décimales (45,9), séparez les colonnes par des "
    "points-virgules, comme Excel en français enregistre un CSV";

host::Script parsed(const std::string& text) { return host::parse_script(text, kPins); }

std::string utf16(const std::string& ascii, bool little_endian) {
    std::string bytes = little_endian ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : ascii)
        bytes += little_endian ? std::string{c, '\0'} : std::string{'\0', c};
    return bytes;
}

TEST(ScriptForms, EveryWayExcelSavesATableGivesTheSameSteps) {
    const std::pair<std::string, char> forms[] = {
        {"init;RD;sec;min;heu;dat;moi;ann\r\n5;0;45,9;30;13;8;3;2011\r\n", ';'},
        {kBom + "init;RD;sec;min;heu;dat;moi;ann\r\n5;0;45,9;30;13;8;3;2011\r\n", ';'},
        {"init\tRD\tsec\tmin\theu\tdat\tmoi\tann\r\n5\t0\t45,9\t30\t13\t8\t3\t2011\r\n", '\t'},
        {"init;RD;sec;min;heu;dat;moi;ann\r5;0;\"45,9\";30;13;8;3;2011\r", ';'},
        {"init,RD,sec,min,heu,dat,moi,ann\n5,0,45.9,30,13,8,3,2011\n", ','},
        {"init,RD,sec,min,heu,dat,moi,ann\n5,0,\"45.9\",30,13,8,3,\"2011\"\n", ','},
        // "Texte Unicode": UTF-16 with its mark, tab-separated.
        {utf16("init\tRD\tsec\tmin\theu\tdat\tmoi\tann\r\n5\t0\t45,9\t30\t13\t8\t3\t2011", true),
         '\t'},
        {utf16("init;RD;sec;min;heu;dat;moi;ann\r\n5;0;45,9;30;13;8;3;2011", false), ';'},
    };
    for (const auto& [text, separator] : forms) {
        const host::Script s = parsed(text);
        ASSERT_EQ(s.error, "") << text;
        ASSERT_EQ(s.steps.size(), 1u) << text;
        EXPECT_EQ(s.steps[0], kSet) << text;
        EXPECT_EQ(s.separator, separator) << text;
    }
}

TEST(ScriptForms, BlankCellsClearedRowsAndClearedColumnsAreWhatExcelLeaves) {
    // The first row sets the clock; the next ones fill "init" and "RD" only.
    const std::vector<double> read{5, 0, 0, 0, 0, 0, 0, 0};
    const std::pair<std::string, std::vector<int>> tables[] = {
        {"init;RD;sec;min;heu;dat;moi;ann\r\n5;0;45,9;30;13;8;3;2011\r\n0;5;;;;;;\r\n", {2, 3}},
        {"init\tRD\tsec\tmin\theu\tdat\tmoi\tann\r\n5\t0\t45,9\t30\t13\t8\t3\t2011\r\n"
         "0\t5\t\t\t\t\t\t\r\n",
         {2, 3}},
        // A row cleared in Excel is no step and takes no number.
        {"init;RD;sec;min;heu;dat;moi;ann\r\n;;;;;;;\r\n5;0;45,9;30;13;8;3;2011\r\n;;;;;;;\r\n"
         "0;5;;;;;;\r\n",
         {3, 5}},
        // A ninth column once used, then cleared; quoted blanks too.
        {";;;;;;;;\r\ninit;RD;sec;min;heu;dat;moi;ann;\r\n5;0;45,9;30;13;8;3;2011;\r\n"
         "0;\"5\";\"\";;;;;;\r\n",
         {3, 4}},
    };
    for (const auto& [text, lines] : tables) {
        const host::Script s = parsed(text);
        ASSERT_EQ(s.error, "") << text;
        ASSERT_EQ(s.steps.size(), 2u) << text;
        EXPECT_EQ(s.steps[0], kSet) << text;
        EXPECT_EQ(s.steps[1], read) << text;
        EXPECT_EQ(s.step_lines, lines) << text;
    }
    // One column has no separator: French Excel's decimal comma is its own.
    const host::Script rd = parsed("RD\r\n2,6\r\n5\r\n");
    ASSERT_EQ(rd.error, "");
    EXPECT_EQ(rd.steps.at(0)[0], 2.6);
    EXPECT_EQ(rd.steps.at(1)[0], 5.0);
    EXPECT_EQ(parsed("RD;sec\n1; \"5\" \n").steps.at(0)[1], 5.0);
}

TEST(ScriptForms, ErrorsStillNameTheirLineAndColumn) {
    const std::pair<std::string, std::string> cases[] = {
        {kBom + "RD;sec;min\r\n1;2;3\r\n1;2x;3\r\n",
         "ligne 3, colonne 2 (sec) : pas un nombre : \"2x\""},
        {kBom + "init;RD;sec\r\n5;0;45,9x\r\n",
         "ligne 2, colonne 3 (sec) : pas un nombre : \"45,9x\""},
        {"RD;sec\r\n1;2;3\r\n", "ligne 2 : 3 valeurs pour 2 colonnes"},
        {"RD\tsec\n1\t2\tx\n", "ligne 2 : 3 valeurs pour 2 colonnes"},
        // A value under an empty header cell, where Excel saved a cleared column.
        {"init;RD;sec;min;heu;dat;moi;ann;\n5;0;45;30;13;8;3;2011;7\n",
         "ligne 2, colonne 9 : \"7\" est sous une colonne sans nom ; nommez la colonne d'une "
         "entrée du bloc, ou effacez ses valeurs"},
        {"RD;;sec\n1;x;2\n",
         "ligne 2, colonne 2 : \"x\" est sous une colonne sans nom ; nommez la colonne d'une "
         "entrée du bloc, ou effacez ses valeurs"},
        // A decimal comma belongs to the semicolon and tab forms only, and
        // a comma script says so.
        {"init,RD,sec\n5,0,45,9\n", "ligne 2 : 4 valeurs pour 3 colonnes" + kSemicolons},
        {"RD,sec\n1,\"45,9\"\n",
         "ligne 2, colonne 2 (sec) : pas un nombre : \"45,9\"" + kSemicolons},
        {"RD;sec\n1;4,5,6\n", "ligne 2, colonne 2 (sec) : pas un nombre : \"4,5,6\""},
        {"RD;sec\n1;\"45\n", "ligne 2, colonne 2 : guillemet sans fin"},
        {"RD;sec\n1;\"45\"6\n", "ligne 2, colonne 2 : du texte après les guillemets"},
        // Lone CRs count lines as LFs do.
        {"RD;sec\r1;2\r1;x\r", "ligne 3, colonne 2 (sec) : pas un nombre : \"x\""},
        {"RD,sec\n1,0x10\n", "ligne 2, colonne 2 (sec) : pas un nombre : \"0x10\""},
        {"RD,sec\n1,inf\n", "ligne 2, colonne 2 (sec) : pas un nombre : \"inf\""},
        {"RD,sec\n1,nan\n", "ligne 2, colonne 2 (sec) : pas un nombre : \"nan\""},
        {"RD,sec\n1,1e\n", "ligne 2, colonne 2 (sec) : pas un nombre : \"1e\""},
        {"RD,sec\n1,.\n", "ligne 2, colonne 2 (sec) : pas un nombre : \".\""},
    };
    for (const auto& [text, error] : cases)
        EXPECT_EQ(parsed(text).error, error) << text;
}

TEST(ScriptForms, NoMessageShowsAByteOrderMarkOrAnInvisibleByte) {
    const std::string pins =
        " n'est pas une entrée du bloc (RD, sec, min, heu, dat, moi, ann, init) ; le nom d'une "
        "colonne de notes commence par # (#remarque)";
    EXPECT_EQ(parsed(kBom + "init;RDx\r\n").error, "ligne 1, colonne 2 : \"RDx\"" + pins);
    // A mark inside the text, where no editor puts it, is shown, not hidden.
    EXPECT_EQ(parsed("sec;" + kBom + "init\n").error,
              "ligne 1, colonne 2 : \"\\uFEFFinit\"" + pins);
    EXPECT_EQ(parsed(std::string("RD\0X,init\n", 10)).error,
              "ligne 1, colonne 1 : \"RD\\0X\"" + pins);
    EXPECT_EQ(parsed(std::string("RD\n5\0junk\n", 11)).error,
              "ligne 2, colonne 1 (RD) : pas un nombre : \"5\\0junk\"");
    // DEL is as invisible as the other control characters.
    EXPECT_EQ(parsed("RD\n5\x7F\n").error, "ligne 2, colonne 1 (RD) : pas un nombre : \"5\\x7F\"");
    // French Excel's "ANSI" CSV is Windows-1252: its accents are shown as
    // accents; escape characters stay escaped.
    EXPECT_EQ(parsed("RD\nd\xE9j\xE0\x1B\n").error,
              "ligne 2, colonne 1 (RD) : pas un nombre : \"déjà\\x1B\"");
    EXPECT_EQ(parsed("init;ann\xE9"
                     "e\r\n")
                  .error,
              "ligne 1, colonne 2 : \"année\"" + pins);
    // 0x80 is the euro sign in Windows-1252, a control character in Latin-1.
    EXPECT_EQ(parsed("init;x\x80\r\n").error, "ligne 1, colonne 2 : \"x€\"" + pins);
    EXPECT_EQ(parsed("RD\n" + std::string(1000, '7') + "x\n").error,
              "ligne 2, colonne 1 (RD) : pas un nombre : \"" + std::string(40, '7') + "\u2026\"");
}

// Thousands grouped as French Excel writes them, with a space or a
// no-break space; any other grouping is no number.
TEST(ScriptForms, ThousandsSeparatorsAreReadWhereExcelPutsThem) {
    const std::pair<std::string, double> good[] = {
        {"2\xC2\xA0"
         "011",
         2011},
        {"2 011", 2011},
        {"\xA0", 0},
        {"1 234 567,5", 1234567.5},
        {"-12\xE2\x80\xAF"
         "345",
         -12345},
    };
    for (const auto& [cell, value] : good) {
        const host::Script s = parsed("init;ann\r\n5;" + cell + "\r\n");
        if (cell == "\xA0") {
            // A lone Windows-1252 no-break space: a blank cell.
            EXPECT_NE(s.error, "") << cell;
            continue;
        }
        ASSERT_EQ(s.error, "") << cell;
        EXPECT_EQ(s.steps.at(0)[6], value) << cell;
    }
    for (const char* bad : {"2 01", "2 0111", "2011 000 0", "12345 678", " 2 011x"})
        EXPECT_NE(parsed(std::string("init;ann\r\n5;") + bad + "\r\n").error, "") << bad;
}

TEST(ScriptForms, NumbersOutOfADoublesRangeAreToldAndTinyOnesAreZero) {
    EXPECT_EQ(parsed("RD\n1e309\n").error,
              "ligne 2, colonne 1 (RD) : nombre hors limites : \"1e309\" (un nombre va de "
              "-1.7976931348623157e308 à 1.7976931348623157e308)");
    EXPECT_NE(parsed("RD\n-1e309\n").error.find("hors limites"), std::string::npos);
    for (const char* tiny : {"1e-400", "4.9e-324", "-4.9e-324", "0.0"}) {
        const host::Script s = parsed(std::string("RD\n") + tiny + "\n");
        ASSERT_EQ(s.error, "") << tiny;
        EXPECT_EQ(s.steps[0][0], 0.0) << tiny;
    }
    EXPECT_EQ(parsed("RD\n1.7976931348623157e308\n").steps.at(0)[0], 1.7976931348623157e308);
    EXPECT_EQ(parsed("RD;sec\n,5;-2,5e1\n").steps.at(0),
              (std::vector<double>{0.5, -25, 0, 0, 0, 0, 0, 0}));
}

TEST(ScriptForms, AMillionStepsAreReadAndNoMore) {
    std::string text = "RD\n";
    for (std::size_t i = 0; i < host::kMostScriptSteps; ++i)
        text += "5\n";
    EXPECT_EQ(parsed(text).steps.size(), host::kMostScriptSteps);
    EXPECT_EQ(parsed(text + "5\n").error,
              "ligne 1000002 : plus de 1000000 pas ; un script en fait au plus autant");
}

TEST(ScriptForms, ResultsInFrenchExcelsFormUseSemicolonsAndDecimalCommas) {
    using host::Format;
    // The byte-order mark first, or French Excel garbles the accents.
    EXPECT_EQ(host::header_line(Format::excel, {"SEC", "MIN"}), kBom + "pas;SEC;MIN");
    EXPECT_EQ(host::header_line(Format::csv, {"SEC", "MIN"}), "pas,SEC,MIN");
    EXPECT_EQ(host::step_line(Format::excel, 2, "lecture", {45.5, host::kNotDriven, 30}),
              "2;45,5;;30");
    EXPECT_EQ(host::step_line(Format::csv, 2, "lecture", {45.5, 30}), "2,45.5,30");
    EXPECT_EQ(host::parse_arguments({"--format", "excel"}).options.format, Format::excel);
}

}  // namespace
