// Scripts as students and teachers type them: pin names in any case, notes
// beside the steps, rows cut short, Excel's error values, and scripts that
// run but cannot do what was meant, each told before the run.
#include <gtest/gtest.h>

#include "host/script/niveaux.h"
#include "host/script/script.h"
#include "host/script/valeurs.h"

namespace {

const std::vector<std::string> kPins{"RD", "sec", "min", "heu", "dat", "moi", "ann", "init"};
const std::string kNotesHint = " ; le nom d'une colonne de notes commence par # (#remarque)";

host::Script parsed(const std::string& text) { return host::parse_script(text, kPins); }

TEST(TypedScripts, FormsPeopleTypeGiveTheirSteps) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::vector<double>> steps;
        std::vector<int> lines;
    };
    const Case cases[] = {
        {"names in any case", "Init;rd;SEC;Min\n5;0;45;30\n", {{0, 45, 30, 0, 0, 0, 0, 5}}, {2}},
        {"notes column, anywhere",
         "#remarque;init;RD;sec\nmise à l'heure;5;0;45\nlecture;0;5;\n",
         {{0, 45, 0, 0, 0, 0, 0, 5}, {5, 0, 0, 0, 0, 0, 0, 0}},
         {2, 3}},
        {"a note that starts with # under a notes column",
         "#note;RD\n#un;5\n",
         {{5, 0, 0, 0, 0, 0, 0, 0}},
         {2}},
        {"a row of notes alone is no step",
         "RD;#note\n;titre\n5;\n",
         {{5, 0, 0, 0, 0, 0, 0, 0}},
         {3}},
        {"a doubled quote inside a quoted note",
         "#note;RD\n\"dit \"\"bonjour\"\"\";5\n",
         {{5, 0, 0, 0, 0, 0, 0, 0}},
         {2}},
        {"comment lines, with commas in them",
         "# réglage, puis lecture\nRD,sec\n# encore, un\n5,1\n",
         {{5, 1, 0, 0, 0, 0, 0, 0}},
         {4}},
        {"cells missing at the end are blank",
         "init;RD;sec;min\n5;0;45;30\n;5\n",
         {{0, 45, 30, 0, 0, 0, 0, 5}, {5, 0, 0, 0, 0, 0, 0, 0}},
         {2, 3}},
    };
    for (const Case& c : cases) {
        const host::Script s = parsed(c.text);
        ASSERT_EQ(s.error, "") << c.what;
        EXPECT_EQ(s.steps, c.steps) << c.what;
        EXPECT_EQ(s.step_lines, c.lines) << c.what;
    }
    EXPECT_EQ(parsed("init;RD;sec;min\n5;0;45;30\n;5\n0;5;;\n5\n").short_lines,
              (std::vector<int>{3, 5}));
}

TEST(TypedScripts, UnknownColumnsAreAllNamedAndExcelErrorsAreNeverComments) {
    const std::pair<std::string, std::string> cases[] = {
        {"RD;Remarque;sec;Heure\n5;;;\n",
         "ligne 1 : \"Remarque\" (colonne 2), \"Heure\" (colonne 4) ne sont pas des entrées du "
         "bloc (RD, sec, min, heu, dat, moi, ann, init)" +
             kNotesHint},
        {"RD;sec\n5;#N/A\n",
         "ligne 2, colonne 2 : Excel y a écrit l'erreur #N/A : la formule de cette cellule a "
         "échoué ; corrigez-la dans Excel, puis enregistrez de nouveau"},
        {"RD;sec\n5;1\n#VALEUR!;2\n", "ligne 3, colonne 1 : Excel y a écrit l'erreur #VALEUR!"},
        {"sec;RD\n#DIV/0!;5\n", "ligne 2, colonne 1 : Excel y a écrit l'erreur #DIV/0!"},
        {"RD;sec\n5;\"#REF!\"\n", "ligne 2, colonne 2 : Excel y a écrit l'erreur #REF!"},
        {"RD\t#note\tsec\n5\t\t#NOM?\n", "ligne 2, colonne 3 : Excel y a écrit l'erreur #NOM?"},
        {"RD;sec\n#NOMBRE!;#NUL!\n", "ligne 2, colonne 1 : Excel y a écrit l'erreur #NOMBRE!"},
    };
    for (const auto& [text, error] : cases)
        EXPECT_EQ(parsed(text).error.substr(0, error.size()), error) << text;
}

std::vector<std::string> warnings(const std::string& text) {
    const host::Script script = parsed(text);
    EXPECT_EQ(script.error, "") << text;
    return host::levels_that_mislead(script, kPins);
}

TEST(MisleadingLevels, EachKindIsSaidOnceWithTheLinesItConcerns) {
    const std::string head = "init;RD;sec;min;heu;dat;moi;ann\n";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {head + "1;0;58;59;23;31;12;2011\n0;1;;;;;;\n0;1;;;;;;\n",
         {"ligne 2, colonne 1 : init vaut 1 : ce n'est pas un niveau haut (il faut plus de 2,5 ; "
          "écrivez 5)",
          "lignes 3, 4, colonne 2 : RD vaut 1 : ce n'est pas un niveau haut (il faut plus de 2,5 "
          "; écrivez 5)"}},
        {head + "2,5;0;;;;;;\n0,5;5;;;;;;\n",
         {"lignes 2, 3, colonne 1 : init vaut 0,5 ou 2,5 : ce n'est pas un niveau haut (il faut "
          "plus de 2,5 ; écrivez 5)"}},
        {head + "0;5;58;59;23;31;12;2011\n0;5;;;;;;\n",
         {"ligne 2 : des valeurs sous sec à ann, mais init n'y est pas haut : ces pas ne les "
          "écrivent pas dans l'horloge (écrivez 5 sous init pour l'écrire)"}},
        {head + "5;5;58;59;23;31;12;2011\n5;5;;;;;;\n",
         {"lignes 2, 3 : init et RD sont hauts ensemble : le pas écrit l'horloge et ne la lit "
          "pas ; ses sorties restent vides",
          "aucun pas ne lit l'horloge (RD haut et init bas) : les colonnes des sorties resteront "
          "vides"}},
        {head + "5;0;58;59;23;31;12;2011\n",
         {"aucun pas ne lit l'horloge (RD haut et init bas) : "
          "les colonnes des sorties resteront vides"}},
        {head + "5;0;58;59;23;31;12;2011\n;5\n",
         {"ligne 3 : moins de valeurs que de colonnes ; les cellules qui manquent valent 0"}},
        // As the guide's example: nothing to say.
        {head + "5;0;58;59;23;31;12;2011\n0;5;;;;;;\n0;5;0;0;0;0;0;0\n", {}},
        // A script that only reads, nothing else: fine.
        {"RD\n5\n5\n", {}},
    };
    for (const auto& [text, said] : cases)
        EXPECT_EQ(warnings(text), said) << text;
    // Reads alone drive a pin high: the run does something.
    EXPECT_EQ(host::nothing_high(parsed("RD\n5\n5\n"), kPins), "");
    EXPECT_NE(host::nothing_high(parsed("RD;init\n1;1\n"), kPins), "");
    std::string many = head;
    for (int i = 0; i < 12; ++i)
        many += "0;1;;;;;;\n";
    EXPECT_EQ(warnings(many).at(0).rfind("lignes 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 et 2 autres, ", 0),
              0u);
}

}  // namespace
