// A student's first hour with rtc_host: files, folders and variables given
// wrong are told with what is there, a script that cannot do what was meant
// is told before it runs, and results sent to a .csv file open in French
// Excel.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/host/horloge_gardee.h"

namespace {

constexpr int kExitUsage = 2, kExitLibrary = 3;
const std::string kBom = "\xEF\xBB\xBF";

Finished student(std::vector<std::string> arguments, const Environment& environment = {}) {
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    return run_program(kHost, arguments, environment);
}

bool says(const Finished& run, const std::string& words) {
    return run.err.find(words) != std::string::npos;
}

TEST(FirstHour, AScriptEmptiedOrSavedUnderAnotherNameIsToldWithWhatIsThere) {
    struct Case {
        const char* folder;
        const char* there;  // the file that is there, beside the one asked for
        const char* content;
        std::string said;
    };
    const Case cases[] = {
        {"vide", "essai.csv", "",
         "est vide (0 octet).\nS'il contenait des pas, il a été vidé : une commande comme « "
         "rtc_host --script essai.csv > essai.csv » vide le fichier"},
        {"bloc-notes", "essai.csv.txt", "RD\n5\n", "Il y a "},
        {"excel", "essai.csv.csv", "RD\n5\n", "Il y a "},
        {"extension", "essai.txt", "RD\n5\n", "Il y a "},
    };
    for (const Case& c : cases) {
        const std::string folder = scratch_folder(c.folder);
        write_bytes(folder + c.there, c.content);
        const Finished run = student({"--script", folder + "essai.csv"});
        EXPECT_EQ(run.status, kExitUsage) << c.folder;
        EXPECT_TRUE(says(run, c.said)) << run.err;
        if (std::string(c.there) != "essai.csv") {
            EXPECT_TRUE(says(run, "Il y a " + folder + c.there + " : son nom est en vérité " +
                                      c.there + " (Windows cache la fin des noms)."))
                << run.err;
        }
    }
}

TEST(FirstHour, AFolderGivenAsTheDeviceNamesTheFileToGive) {
    const std::string empty = scratch_folder("dossier-vide");
    const std::string full = scratch_folder("virtuel-copie");
    write_bytes(full + kDeviceFile, read_bytes(own_folder() + kDeviceFile));
    const std::pair<std::string, std::string> cases[] = {
        {empty, "Pour l'IOW24 virtuel, donnez le fichier virtuel" + kSeparator + kDeviceFile +
                    " du paquet"},
        {full, "Donnez --device \"" + full + kDeviceFile + "\"."},
    };
    for (const auto& [folder, hint] : cases) {
        const Finished run = student({"--device", folder});
        EXPECT_EQ(run.status, kExitLibrary) << run.err;
        EXPECT_EQ(run.err.rfind("Erreur : " + folder +
                                    " est un dossier : --device demande le fichier de la "
                                    "bibliothèque de l'IOW24.\n" +
                                    hint,
                                0),
                  0u)
            << run.err;
    }
}

TEST(FirstHour, ResultsSentToACsvFileAreInFrenchExcelsFormUnlessAFormIsGiven) {
    const std::string folder = scratch_folder("resultats");
    struct Case {
        const char* file;
        std::vector<std::string> format;
        std::string starts;
    };
    const Case cases[] = {
        {"res.csv", {}, kBom + "pas;SEC;MIN;HEU;DAT;MOI;ANN\n1;"},
        {"RES.CSV", {}, kBom + "pas;SEC;MIN;HEU;DAT;MOI;ANN\n1;"},
        {"res2.csv", {"--format", "csv"}, "pas,SEC,MIN,HEU,DAT,MOI,ANN\n1,"},
        {"res.txt", {}, " pas  action      SEC"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"--read", "1"};
        arguments.insert(arguments.end(), c.format.begin(), c.format.end());
        const Finished run = student(arguments, {{kStdoutTo, folder + c.file}});
        EXPECT_EQ(run.status, 0) << run.err;
        std::string written = read_bytes(folder + c.file);
        written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
        EXPECT_EQ(written.rfind(c.starts, 0), 0u) << c.file << ": " << written;
    }
}

// Each row of a run's results, the mark and line ends left out.
std::vector<std::string> rows_of(std::string written) {
    written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
    std::vector<std::string> rows;
    for (std::size_t at = 0, end; (end = written.find('\n', at)) != std::string::npos; at = end + 1)
        rows.push_back(written.substr(at, end - at));
    return rows;
}

// A script of commas with its results sent to a .csv file: Excel's form
// still, one column otherwise. Added to it (">>"): rows under the header
// already there, as one table; a file of other columns is left as it is.
TEST(FirstHour, ResultsAddedToACsvFileStayOneTable) {
    const std::string folder = scratch_folder("ajouts");
    const std::string script = scratch_file("virgules.csv", "RD,init\n5,0\n5,0\n");
    const std::string results = folder + "res.csv";
    const Environment ticking{{"IOWVIRT", "tick"}, {"RTC_HOST_CLOCK", "simulated"}};
    Environment first = ticking, added = ticking;
    first.emplace_back(kStdoutTo, results);
    added.emplace_back(kStdoutAddTo, results);
    EXPECT_EQ(student({"--script", script}, first).status, 0);
    EXPECT_EQ(student({"--read", "1"}, added).status, 0);
    const std::vector<std::string> rows = rows_of(read_bytes(results));
    ASSERT_EQ(rows.size(), 4u) << read_bytes(results);
    EXPECT_EQ(rows[0], kBom + "pas;SEC;MIN;HEU;DAT;MOI;ANN");
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_EQ(std::count(rows[i].begin(), rows[i].end(), ';'), 6) << rows[i];
    const std::string other = folder + "autre.csv";
    write_bytes(other, "nom;note\r\nAda;18\r\n");
    Environment elsewhere = ticking;
    elsewhere.emplace_back(kStdoutAddTo, other);
    const Finished refused = student({"--read", "1"}, elsewhere);
    EXPECT_EQ(refused.status, 6);
    EXPECT_TRUE(says(refused, "commence par « nom;note », pas par l'en-tête des résultats"))
        << refused.err;
    EXPECT_EQ(read_bytes(other), "nom;note\r\nAda;18\r\n");
}

#ifndef _WIN32
// Typed in a terminal, a script's results are the table a person reads, as
// the demo shows; to a file or a program, the script's own form.
TEST(FirstHour, AScriptsResultsInATerminalAreTheTable) {
    const std::string script = scratch_file("console.csv", "RD;init\n5;0\n");
    const Finished terminal = student({"--script", script}, {{kStdoutTerminal, "1"}});
    EXPECT_EQ(terminal.status, 0) << terminal.err;
    EXPECT_EQ(terminal.out.rfind(" pas  action      SEC", 0), 0u) << terminal.out;
    EXPECT_NE(terminal.out.find("\n   1  lecture "), std::string::npos) << terminal.out;
    const Finished piped = student({"--script", script});
    EXPECT_EQ(piped.out.rfind(kBom + "pas;SEC;", 0), 0u) << piped.out;
    const Finished asked =
        student({"--script", script, "--format", "excel"}, {{kStdoutTerminal, "1"}});
    EXPECT_EQ(asked.out.rfind(kBom + "pas;SEC;", 0), 0u) << asked.out;
}
#endif

TEST(FirstHour, AVariableWithBlanksAroundItsNameIsTold) {
    const Finished run = student({"--read", "1"}, {{"IOWVIRT ", " no-chip"}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(says(run,
                     "Attention : la variable \"IOWVIRT \" a des espaces dans son nom : elle "
                     "ne compte pas. Écrivez set IOWVIRT=..., sans espace autour du signe "
                     "=.\n"))
        << run.err;
    EXPECT_FALSE(says(student({"--read", "1"}), "Attention")) << "no such variable";
}

TEST(FirstHour, AScriptThatCannotDoWhatWasMeantIsToldBeforeItRuns) {
    const std::string script = scratch_file("booleens.csv",
                                            "init;RD;sec;min;heu;dat;moi;ann\r\n"
                                            "1;0;58;59;23;31;12;2011\r\n"
                                            "0;1;;;;;;\r\n");
    const Finished run = student({"--script", script, "--period-ms", "0"});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char* words :
         {" : ligne 2, colonne 1 : init vaut 1 : ce n'est pas un niveau haut (il faut plus de "
          "2,5 ; écrivez 5)\n",
          " : ligne 3, colonne 2 : RD vaut 1 : ce n'est pas un niveau haut"})
        EXPECT_TRUE(says(run, "Attention : " + script + words)) << run.err;
}

// Reads faster than the clock counts give the same time twice, which a
// student would take for a frozen clock: said once.
TEST(FirstHour, ReadsFasterThanTheClockCountsAreToldOnce) {
    const std::string said =
        "Remarque : l'horloge compte en secondes entières ; des lectures à "
        "moins d'une seconde d'écart (--period-ms 0) peuvent donner la même "
        "heure.\n";
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"--read", "3", "--period-ms", "0"}, true},
        {{"--set", "now", "--read", "1", "--period-ms", "0"}, false},
        {{"--read", "3", "--period-ms", "1000"}, false},
    };
    for (const auto& [arguments, told] : cases) {
        const Finished run = student(arguments, {{"RTC_HOST_CLOCK", "simulated"}});
        EXPECT_EQ(run.err.find(said) != std::string::npos, told) << arguments[1] << run.err;
        EXPECT_EQ(run.err.find("Remarque", run.err.find("Remarque") + 1), std::string::npos);
    }
}

#ifdef _WIN32
// Started by a program (hidden, with no console, or with a console of its
// own but no window, as under Wine without a display), rtc_host never
// waits for a key no one can press, and says nothing of double-clicks.
TEST(FirstHour, AHostStartedByAProgramNeverWaitsForAKey) {
    const std::string said = "rtc_host s'utilise depuis une invite de commandes";
    for (const std::string& how : {kNoWindow, kDetached, kNewConsole}) {
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"--read", "1"}, std::vector<std::string>{"--help"}}) {
            const Finished run = student(arguments, {{how, "1"}});
            EXPECT_EQ(run.status, 0) << how << " " << arguments[0] << run.err;
            EXPECT_FALSE(says(run, said)) << how << run.err;
        }
    }
}

// In a console, French reads right whatever the console's code page: the
// stand-in host's table, the block's alert and the virtual IOW24's word,
// three programs' texts, each as the screen holds it. The code page is the
// user's still once rtc_host has ended.
TEST(FirstHour, FrenchReadsRightInAnyConsole) {
    const Screen screen =
        run_on_screen(kHost, {"--read", "1", "--console-alerts"}, {{"IOWVIRT", "frozne"}});
    EXPECT_EQ(screen.status, 0);
    EXPECT_NE(screen.code_page_before, 0u);
    EXPECT_EQ(screen.code_page_after, screen.code_page_before);
    const auto shown = [&](const std::string& words) {
        for (const std::string& line : screen.lines)
            if (line.find(words) != std::string::npos) return true;
        return false;
    };
    std::string all;
    for (const std::string& line : screen.lines)
        all += line + "\n";
    for (const char* words : {"[Recherche IOW24] IOW24 détecté : initialisation de la liaison I²C",
                              "IOW24 virtuel : mot inconnu « frozne » dans IOWVIRT",
                              " pas  action      SEC    MIN    HEU    DAT    MOI    ANN"})
        EXPECT_TRUE(shown(words)) << words << " ?\n" << all;
}

// So does the one line of a shipped program that ends on a C++ exception
// nothing caught, written at the very end, with no heap.
TEST(FirstHour, AnUncaughtExceptionIsToldInFrenchInAnyConsole) {
    const Screen screen = run_on_screen("exception_non_traitee.exe", {});
    EXPECT_NE(screen.status, 0);
    std::string all;
    for (const std::string& line : screen.lines)
        all += line + "\n";
    EXPECT_NE(all.find("Erreur interne : exception C++ non traitée, arrêt du programme.\n"),
              std::string::npos)
        << all;
}
#endif

}  // namespace
