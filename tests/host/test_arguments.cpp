// The stand-in host's command line and script: what it accepts, and errors
// that name what was wrong.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "host/commun/options.h"
#include "host/script/script.h"
#include "host/systeme/systeme.h"

namespace {

using host::parse_arguments;

#define kNotesHint " ; le nom d'une colonne de notes commence par # (#remarque)"
#define kForms                                                                                 \
    "formes acceptées : \"JJ/MM/AAAA HH:MM:SS\", \"AAAA-MM-JJ HH:MM:SS\", sans les secondes " \
    "(\"14/07/2027 9:05\"), à la française (\"14/07/27 9h05\"), ou now (maintenant) pour "   \
    "l'heure du PC"
#define kTwoDigits \
    " (les minutes et les secondes s'écrivent avec deux chiffres : 9h05m03, 9:05:03) ; "

TEST(Arguments, NothingAskedMeansOneRead) {
    const auto p = parse_arguments({});
    EXPECT_EQ(p.error, "");
    EXPECT_EQ(p.options.read_steps, 1);
    EXPECT_FALSE(p.options.set_now);
}

TEST(Arguments, LeapDaysOfTheCenturyAreDates) {
    // 2000 is a leap year: divisible by 400.
    for (const char* day : {"2000-02-29 12:00:00", "2024-02-29 23:59:59", "2096-02-29 00:00:00"}) {
        const auto p = parse_arguments({"--set", day});
        ASSERT_EQ(p.error, "") << day;
        EXPECT_EQ(p.options.set_at->day, 29) << day;
    }
    EXPECT_NE(parse_arguments({"--set", "2001-02-29 12:00:00"}).error, "");
    EXPECT_EQ(parse_arguments({"--timeout-ms", "250"}).options.timeout_ms, 250);
    EXPECT_EQ(parse_arguments({}).options.timeout_ms, 5000);
}

TEST(Arguments, SetAndReadTogether) {
    const auto p = parse_arguments({"--set", "2024-02-29 23:59:58", "--read", "5", "--period-ms",
                                    "0", "--trace", "--format", "csv", "--device", "x/iowkit.dll"});
    ASSERT_EQ(p.error, "");
    ASSERT_TRUE(p.options.set_at);
    EXPECT_EQ(p.options.set_at->day, 29);
    EXPECT_EQ(p.options.set_at->second, 58);
    EXPECT_EQ(p.options.read_steps, 5);
    EXPECT_EQ(p.options.period_ms, 0);
    EXPECT_TRUE(p.options.trace);
    EXPECT_EQ(p.options.format, host::Format::csv);
    EXPECT_EQ(p.options.device, "x/iowkit.dll");
    EXPECT_TRUE(parse_arguments({"--set", "now"}).options.set_now);
    EXPECT_TRUE(parse_arguments({"/?"}).options.help);
}

TEST(Arguments, ErrorsRepeatTheBadArgument) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "argument inconnu \"--bogus\""},
        {{"--read"}, "--read demande un nombre de pas"},
        {{"--read", "0"}, "--read prend un nombre de pas de 1 à 1000000, pas \"0\""},
        {{"--read", "3x"}, "--read prend un nombre de pas de 1 à 1000000, pas \"3x\""},
        {{"--read", "-2"}, "--read prend un nombre de pas de 1 à 1000000, pas \"-2\""},
        {{"--period-ms", "9999999"},
         "--period-ms prend des millisecondes de 0 à 3600000, pas \"9999999\""},
        {{"--format", "xml"}, "--format vaut table, csv ou excel, pas \"xml\""},
        {{"--set", "2011-13-01 00:00:00"},
         "--set \"2011-13-01 00:00:00\" : cette date ou cette heure n'existe pas"},
        {{"--set", "2023-02-29 00:00:00"},
         "--set \"2023-02-29 00:00:00\" : cette date ou cette heure n'existe pas"},
        {{"--set", "1999-12-31 23:59:59"},
         "--set \"1999-12-31 23:59:59\" : l'horloge ne garde que les années 2000 à 2099"},
        {{"--set", "2011-1-1 0:0:0"},
         "--set \"2011-1-1 0:0:0\" : l'heure \"0:0:0\" n'a pas une forme connue" kTwoDigits kForms},
        {{"--set", "2011-01-01 00:00:00x"},
         "--set \"2011-01-01 00:00:00x\" : l'heure \"00:00:00x\" n'a pas une forme "
         "connue" kTwoDigits kForms},
        // Bad values caught past their first character, and past the first
        // bound.
        {{"--read", "1000001"}, "--read prend un nombre de pas de 1 à 1000000, pas \"1000001\""},
        {{"--timeout-ms", "500x"},
         "--timeout-ms prend des millisecondes de 1 à 3600000, pas \"500x\""},
        {{"--timeout-ms", "0"}, "--timeout-ms prend des millisecondes de 1 à 3600000, pas \"0\""},
        {{"--format", "csvx"}, "--format vaut table, csv ou excel, pas \"csvx\""},
        {{"--set", "2011-12-31 23:59:5x"},
         "--set \"2011-12-31 23:59:5x\" : l'heure \"23:59:5x\" n'a pas une forme connue" kTwoDigits
             kForms},
        {{"--set", "2011-12-31 23:59:60"},
         "--set \"2011-12-31 23:59:60\" : cette date ou cette heure n'existe pas"},
        {{"--set", "2100-02-29 00:00:00"},
         "--set \"2100-02-29 00:00:00\" : l'horloge ne garde que les années 2000 à 2099"},
        {{"--script", "a.csv", "--read", "2"},
         "--script fait ses propres pas ; il ne va pas avec --set ni --read"},
        // An empty value is no way around a rule, nor a quiet default.
        {{"--script", "", "--read", "2"}, "--script demande un nom de fichier, pas \"\""},
        {{"--block", ""}, "--block demande le chemin du bloc, pas \"\""},
        {{"--device", ""}, "--device demande le chemin d'une iowkit.dll, pas \"\""},
        {{"--read", "2", "--set", ""}, "--set demande une date et une heure, ou now, pas \"\""},
        {{"--format", ""}, "--format demande table, csv ou excel, pas \"\""},
        {{"--exercice", "--check"},
         "--exercice montre l'exercice en place sans rien lancer ; il ne va pas avec --check, "
         "--script, --set ni --read"},
        // The next option is never taken for a value.
        {{"--script", "--period-ms", "0"},
         "--script demande un nom de fichier ; \"--period-ms\" est une autre option"},
        {{"--script", "--console-alerts"},
         "--script demande un nom de fichier ; \"--console-alerts\" est une autre option"},
        {{"--read", "--check"},
         "--read demande un nombre de pas ; \"--check\" est une autre option"},
        {{"--set", "--read", "2"},
         "--set demande une date et une heure, ou now ; \"--read\" est une autre option"},
        // What is missing or extra in a date, named.
        {{"--set", "14/07/2027"},
         "--set \"14/07/2027\" : la date et l'heure vont ensemble, entre guillemets : --set "
         "\"14/07/2027 23:59:58\""},
        {{"--set", "9:05"}, "--set \"9:05\" : il manque la date avant l'heure ; " kForms},
        {{"--set", "14-07-2027 9:05"},
         "--set \"14-07-2027 9:05\" : la date \"14-07-2027\" n'a pas une forme connue ; " kForms},
        {{"--set", "14/07/2027 9:05 du matin"},
         "--set \"14/07/2027 9:05 du matin\" : \"du matin\" est en trop après l'heure ; " kForms},
        // Two digits for the minutes and the seconds, in every form.
        {{"--set", "14/07/2027 9h5"},
         "--set \"14/07/2027 9h5\" : l'heure \"9h5\" n'a pas une forme connue" kTwoDigits kForms},
        {{"--set", "14/07/2027 9h05m3"},
         "--set \"14/07/2027 9h05m3\" : l'heure \"9h05m3\" n'a pas une forme connue" kTwoDigits
             kForms},
        {{"--set", "14/07/2027 9:5"},
         "--set \"14/07/2027 9:5\" : l'heure \"9:5\" n'a pas une forme connue" kTwoDigits kForms},
        {{"--set", "hier"}, "--set \"hier\" : la date \"hier\" n'a pas une forme connue ; " kForms},
        // The teacher's view of a room.
        {{"--salle", "--check"},
         "--salle montre la salle sans rien lancer ; il ne va pas avec --exercice, --check, "
         "--script, --set ni --read"},
        {{"--salle", "X:\\salle", "--depuis", "25h00"},
         "--depuis prend une heure de la journée, comme 8h00 ou 13:30, pas \"25h00\""},
        {{"--depuis", "8h00"}, "--depuis et --sans-navigateur ne vont qu'avec --salle"},
        {{"--sans-navigateur"}, "--depuis et --sans-navigateur ne vont qu'avec --salle"},
    };
    for (const auto& [arguments, error] : cases) {
        EXPECT_EQ(parse_arguments(arguments).error, error) << arguments[0];
    }
}

TEST(Arguments, SetTakesTheFormsTeachersTypeAndSaysWhenTheTimeLostItsQuotes) {
    const std::pair<std::string, host::Moment> forms[] = {
        {"2011-12-31 9:05:00", {2011, 12, 31, 9, 5, 0}},
        {"2011-12-31 09:05:00", {2011, 12, 31, 9, 5, 0}},
        {"31/12/2011 23:59:58", {2011, 12, 31, 23, 59, 58}},
        {"1/2/2012  7:00:01", {2012, 2, 1, 7, 0, 1}},
        // As students type them: no seconds, the French hour, two digits of
        // year, blanks around.
        {"14/07/2027 9:05", {2027, 7, 14, 9, 5, 0}},
        {"14/07/2027 9h05", {2027, 7, 14, 9, 5, 0}},
        {"14/07/2027 9H05m30", {2027, 7, 14, 9, 5, 30}},
        {"14/07/2027 17h", {2027, 7, 14, 17, 0, 0}},
        {"14/07/27 09:05:00", {2027, 7, 14, 9, 5, 0}},
        {" 31/12/99\t23:59 ", {2099, 12, 31, 23, 59, 0}},
    };
    for (const auto& [text, m] : forms) {
        const auto set = parse_arguments({"--set", text}).options.set_at;
        ASSERT_TRUE(set.has_value()) << text << ": " << parse_arguments({"--set", text}).error;
        EXPECT_EQ(std::tie(set->year, set->month, set->day, set->hour, set->minute, set->second),
                  std::tie(m.year, m.month, m.day, m.hour, m.minute, m.second))
            << text;
    }
    for (const char* bad : {"2011-12-31 123:05:00", "31/12/011 23:59:58", "2011/12/31 23:59:58",
                            "31-12-2011 23:59:58", "2011-12-31 9:5:00", "2011-12-31T09:05:00"})
        EXPECT_NE(parse_arguments({"--set", bad}).error, "") << bad;
    for (const char* now : {"maintenant", "NOW", " Maintenant ", "now\t"})
        EXPECT_TRUE(parse_arguments({"--set", now}).options.set_now) << now;
    // The time cut from its date by the shell, in the French form too.
    EXPECT_EQ(parse_arguments({"--set", "14/07/27", "9h05"}).error,
              "--set \"14/07/27\" : la date et l'heure vont ensemble, entre guillemets : --set "
              "\"14/07/27 9h05\"");
    EXPECT_EQ(parse_arguments({"--set", "2011-12-31", "23:59:58"}).error,
              "--set \"2011-12-31\" : la date et l'heure vont ensemble, entre guillemets : --set "
              "\"2011-12-31 23:59:58\"");
    EXPECT_EQ(parse_arguments({"--set", "31/12/2011", "--read", "2"}).error,
              "--set \"31/12/2011\" : la date et l'heure vont ensemble, entre guillemets : --set "
              "\"31/12/2011 23:59:58\"");
}

// --salle names its folder, or this PC's room when an option or nothing
// follows; --depuis takes an hour as the clock of Windows or French writes it.
TEST(Arguments, TheRoomsViewTakesItsFolderAndItsHour) {
    const host::Options named =
        parse_arguments({"--salle", "\\\\serveur\\salle B12", "--depuis", "8h30"}).options;
    EXPECT_TRUE(named.room);
    EXPECT_EQ(named.room_folder, "\\\\serveur\\salle B12");
    EXPECT_EQ(named.since_minutes, 8 * 60 + 30);
    EXPECT_EQ(named.read_steps, 0);
    const host::Options own = parse_arguments({"--salle", "--depuis", "13:05"}).options;
    EXPECT_TRUE(own.room);
    EXPECT_EQ(own.room_folder, "");
    EXPECT_EQ(own.since_minutes, 13 * 60 + 5);
    EXPECT_EQ(parse_arguments({"--salle", "--depuis", "8h"}).options.since_minutes, 8 * 60);
}

TEST(Arguments, TheLastOfARepeatedOptionCountsAndNumbersTakeTheirWholeRange) {
    auto p = parse_arguments({"--set", "2011-12-31 23:59:58", "--set", "now"});
    EXPECT_TRUE(p.options.set_now);
    EXPECT_FALSE(p.options.set_at.has_value());
    p = parse_arguments({"--set", "now", "--set", "2011-12-31 23:59:58"});
    EXPECT_FALSE(p.options.set_now);
    EXPECT_TRUE(p.options.set_at.has_value());
    EXPECT_EQ(parse_arguments({"--read", "2", "--read", "3"}).options.read_steps, 3);
    // Leading zeros, however many, never change what a number is.
    for (const char* five : {"5", "000000005", "0000000005", "0000000000000000005"})
        EXPECT_EQ(parse_arguments({"--read", five}).options.read_steps, 5) << five;
    EXPECT_EQ(parse_arguments({"--period-ms", "0000000000"}).options.period_ms, 0);
    // Each range's ends are taken; one past them is not.
    const std::tuple<const char*, const char*, const char*> ends[] = {
        {"--read", "1", "1000000"},
        {"--period-ms", "0", "3600000"},
        {"--timeout-ms", "1", "3600000"},
    };
    for (const auto& [option, low, high] : ends) {
        EXPECT_EQ(parse_arguments({option, low}).error, "") << option;
        EXPECT_EQ(parse_arguments({option, high}).error, "") << option;
        EXPECT_NE(parse_arguments({option, std::to_string(std::stoi(high) + 1)}).error, "")
            << option;
    }
    EXPECT_EQ(parse_arguments({"--read", "1000000"}).options.read_steps, 1000000);
    EXPECT_EQ(parse_arguments({"--timeout-ms", "3600000"}).options.timeout_ms, 3600000);
}

const std::vector<std::string> kPins{"RD", "sec", "min", "heu", "dat", "moi", "ann", "init"};

TEST(Script, RowsFillTheNamedPinsAndLeaveTheOthersAtZero) {
    const auto s = host::parse_script(
        "# set, then read\n"
        "init, sec,min,heu,dat,moi,ann\r\n"
        "5,45,30,13,8,3,2011\n"
        "\n"
        "0,0,0,0,0,0,0\n",
        kPins);
    ASSERT_EQ(s.error, "");
    ASSERT_EQ(s.steps.size(), 2u);
    EXPECT_EQ(s.steps[0], (std::vector<double>{0, 45, 30, 13, 8, 3, 2011, 5}));
    EXPECT_EQ(s.steps[1], std::vector<double>(8, 0.0));
    const auto values = host::parse_script("RD\n2.5000001\n-1e3\n", kPins);
    ASSERT_EQ(values.error, "");
    EXPECT_EQ(values.steps[1][0], -1000.0);
}

TEST(Script, ErrorsNameTheLineAndTheColumn) {
    const std::pair<const char*, std::string> cases[] = {
        {"RD,Secs\n1,2\n",
         "ligne 1, colonne 2 : \"Secs\" n'est pas une entrée du bloc (RD, sec, min, heu, dat, "
         "moi, ann, init)" kNotesHint},
        {"RD,sec,RD\n", "ligne 1, colonne 3 : l'entrée \"RD\" est nommée deux fois"},
        {"RD,sec\n1,2,3\n",
         "ligne 2 : 3 valeurs pour 2 colonnes ; pour écrire des virgules décimales (45,9), "
         "séparez les colonnes par des points-virgules, comme Excel en français enregistre un "
         "CSV"},
        {"RD,sec\n1,abc\n", "ligne 2, colonne 2 (sec) : pas un nombre : \"abc\""},
        {"RD,sec\n1,\"2x\"\n", "ligne 2, colonne 2 (sec) : pas un nombre : \"2x\""},
        {"RD,sec\n1,1e999\n",
         "ligne 2, colonne 2 (sec) : nombre hors limites : \"1e999\" (un nombre va de "
         "-1.7976931348623157e308 à 1.7976931348623157e308)"},
        // A number followed by other text, in a later column of a later row.
        {"RD,ann\n5,2011\n5,2011x\n", "ligne 3, colonne 2 (ann) : pas un nombre : \"2011x\""},
        {"RD,ann\n5,2011\n5 5,2011\n", "ligne 3, colonne 1 (RD) : pas un nombre : \"5 5\""},
        {"ann,RDx\n",
         "ligne 1, colonne 2 : \"RDx\" n'est pas une entrée du bloc (RD, sec, min, "
         "heu, dat, moi, ann, init)" kNotesHint},
        {"RD,sec\n", "aucun pas : il faut une ligne d'en-tête et au moins une ligne de valeurs"},
        {"", "aucun pas : il faut une ligne d'en-tête et au moins une ligne de valeurs"},
    };
    for (const auto& [text, error] : cases) {
        EXPECT_EQ(host::parse_script(text, kPins).error, error) << text;
    }
}

// A key is waited for only in a console of its own that a person sees: a
// double-click in Explorer. A console shared with cmd, one with no window
// (a program started hidden), none at all, or an input from a file or a
// pipe never waits.
TEST(Arguments, OnlyAConsoleShownToAPersonWaitsForAKey) {
    const std::pair<host::ConsoleSeen, bool> cases[] = {
        {{1, true, true}, true},    {{2, true, true}, false},  {{1, false, true}, false},
        {{0, false, false}, false}, {{1, true, false}, false},
    };
    for (const auto& [seen, waits] : cases)
        EXPECT_EQ(host::waits_for_a_key(seen), waits)
            << seen.processes << seen.window << seen.keyboard;
}

}  // namespace
