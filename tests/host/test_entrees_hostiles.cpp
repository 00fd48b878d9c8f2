// Odd and hostile input to rtc_host and the virtual IOW24: empty option
// values, NUL bytes, numbers out of range, oversized and noisy files,
// injected clocks that are no moments, output that cannot be written.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/host/hote.h"
#include "tests/host/processus.h"

namespace {

const Environment kFrozen{{"IOWVIRT", "frozen"}};

std::string read_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

Finished host(std::vector<std::string> arguments, const Environment& environment = kFrozen) {
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    return run_program(kHost, arguments, environment);
}

// A copy of the virtual IOW24 in a folder of its own, with `words` as the
// iowvirt.txt beside it.
std::string library_with_words(const std::string& name, const std::string& words) {
    const std::string folder = scratch_folder(name);
    std::ofstream(folder + kDeviceFile, std::ios::binary) << read_bytes(own_folder() + kDeviceFile);
    std::ofstream(folder + "iowvirt.txt", std::ios::binary) << words;
    return folder + kDeviceFile;
}

std::size_t lines_of(const std::string& text) {
    std::size_t count = 0;
    for (char c : text)
        count += c == '\n';
    return count;
}

TEST(HostileInput, AnEmptyOptionValueIsAUsageErrorNamingTheOption) {
    const Finished run = host({"--script", "", "--read", "2"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("Erreur : --script demande un nom de fichier, pas \"\"\n", 0), 0u)
        << run.err;
    const Finished help = host({"/?"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage : rtc_host [options]\n", 0), 0u);
}

TEST(HostileInput, ANulInAScriptGivesOneWholeLineAndHugeNumbersAreOutOfRange) {
    const std::string nul = scratch_file("nul.csv", std::string("RD\0X,init\n5,0\n", 14));
    Finished run = host({"--script", nul});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Erreur : " + nul +
                           " : ligne 1, colonne 1 : \"RD\\0X\" n'est pas une entrée du bloc (RD, "
                           "sec, min, heu, dat, moi, ann, init) ; le nom d'une colonne de notes "
                           "commence par # (#remarque)\n");
    run = host({"--script", scratch_file("grand.csv", "RD,sec\n5,1e309\n")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("ligne 2, colonne 2 (sec) : nombre hors limites : \"1e309\""),
              std::string::npos)
        << run.err;
}

TEST(HostileInput, AnOversizedScriptIsRefusedBeforeItIsRead) {
    const std::string path = scratch_file("enorme.csv", "RD\n5\n");
    {
        std::ofstream file(path, std::ios::binary | std::ios::in);
        file.seekp(200 * 1000 * 1000);
        file << '\n';
    }
    const Finished run = host({"--script", path});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("impossible de lire le script " + path + " : il dépasse 100 Mo"),
              std::string::npos)
        << run.err;
}

TEST(HostileInput, IowvirtTxtIsReadWithinABoundAndItsNoiseToldInAFewLines) {
    // Words past the first 4 KB are not read: the IOW24 stays plugged in.
    Finished run =
        host({"--device", library_with_words("loin", std::string(5000, ' ') + "absent")}, {});
    EXPECT_EQ(run.err.find("Echec lors de l'ouverture"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("iowvirt.txt dépasse 4096 octets"), std::string::npos) << run.err;
    std::string noise;
    for (int i = 0; i < 500; ++i)
        noise += "mot" + std::to_string(i) + " ";
    run = host({"--device", library_with_words("bruit", noise)}, {});
    EXPECT_EQ(run.status, 0);
    EXPECT_LE(lines_of(run.err), 6u) << run.err;
    EXPECT_NE(run.err.find("et 497 autres mots inconnus"), std::string::npos) << run.err;
    // A NUL is shown, and the next message is not glued onto it.
    run = host({"--device", library_with_words("nul", std::string("abs\0ent", 7))}, {});
    EXPECT_NE(run.err.find("mot inconnu « abs\\0ent » dans "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\0'), std::string::npos);
}

TEST(HostileInput, IowvirtTxtAsNotepadSavesItAppliesItsWords) {
    const std::string utf16("\xFF\xFEn\0o\0-\0c\0h\0i\0p\0\r\0\n\0", 20);
    for (const std::string& words : {std::string("\xEF\xBB\xBFno-chip\r\n"), utf16}) {
        const Finished run = host({"--device", library_with_words("bloc-notes", words)}, {});
        EXPECT_NE(run.err.find("[Leture] Erreur de transmission"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("mot inconnu"), std::string::npos) << run.err;
    }
}

TEST(HostileInput, AnInjectedClockThatIsNoMomentIsToldAndIgnored) {
    const std::string state = scratch_folder("maintenant") + "etat";
    for (const char* bad : {"abc", "", "1e9", "0x10", "9223372036854775807", "946684799"}) {
        const Finished run = host({"--set", "2030-06-01 12:00:00"},
                                  {{"IOWVIRT_NOW", bad}, {"IOWVIRT_STATE", state}});
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.err.find(std::string("IOW24 virtuel : IOWVIRT_NOW vaut \"") + bad +
                               "\" : il faut un nombre entier de secondes"),
                  std::string::npos)
            << run.err;
    }
    // The state file was kept at the PC's real moment: no years added.
    const Finished read = host({"--read", "1"}, {{"IOWVIRT_STATE", state}});
    EXPECT_NE(read.out.find("      6     30\n"), std::string::npos) << read.out;
}

#ifdef _WIN32
// A box of the virtual IOW24 (a word it does not know) waits for the user
// inside IowKitOpenDevice; it is no IOW24 that stopped answering, however
// short the calls' bound. Without a display, Wine's box gives up after a
// few hundred milliseconds: longer than the bound.
TEST(HostileInput, AVirtualIow24BoxIsNoIow24ThatStoppedAnswering) {
    const std::string device = library_with_words("boite", "frozzen\r\n");
    const Finished run =
        run_program(kHost, {"--device", device, "--read", "1", "--timeout-ms", "50"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("ne répond plus"), std::string::npos) << run.err;
}
#endif

#ifndef _WIN32
TEST(HostileInput, OutputThatCannotBeWrittenIsAFailure) {
    const Finished run = host({"--read", "2", "--period-ms", "0"},
                              {{"IOWVIRT", "frozen"}, {kStdoutTo, "/dev/full"}});
    EXPECT_EQ(run.status, 6);
    EXPECT_NE(run.err.find("Erreur : impossible d'écrire les résultats sur la sortie standard"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(host({"--help"}, {{kStdoutTo, "/dev/full"}}).status, 6);
    // A reader that went away (| head -1): the run stops as on any other
    // failed write, the device closed and the block stopped.
    const Finished piped = host({"--read", "100000", "--period-ms", "0", "--trace"},
                                {{"IOWVIRT", "frozen"}, {kStdoutTo, kReaderGone}});
    EXPECT_EQ(piped.status, 6) << piped.err;
    EXPECT_NE(piped.err.find("trace: fermeture"), std::string::npos) << piped.err;
}
#endif

// A path or a word holds what no message line may carry: a newline that
// would forge a line of its own, an escape sequence for the console, a
// no-break space that makes a wrong word look right.
TEST(HostileInput, NothingAUserNamesStartsALineOrReachesTheConsoleRaw) {
    Finished run = host({"--script", "essai\nErreur : tout va bien.csv"});
    EXPECT_EQ(run.status, 2);
    std::size_t errors = 0;
    for (std::size_t at = 0; (at = run.err.find("Erreur", at)) != std::string::npos; ++at)
        errors += at == 0 || run.err[at - 1] == '\n';
    EXPECT_EQ(errors, 1u) << run.err;
    EXPECT_NE(run.err.find("essai\\nErreur"), std::string::npos) << run.err;
    run = host({"--device", "ici\x1B[2J" + kSeparator + kDeviceFile, "--read", "1"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ((run.out + run.err).find('\x1B'), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("ici\\x1B[2J"), std::string::npos) << run.err;
    run = host({"--bogus\nErreur"});
    EXPECT_EQ(run.err.find("\nErreur"), std::string::npos) << run.err;

    std::string noise;
    for (int i = 0; i < 1000; ++i)
        noise += "frozen\xC2\xA0 ";
    run = host({"--read", "1"}, {{"IOWVIRT", "silent:99999999999, " + noise}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("\xC2\xA0"), std::string::npos) << run.err;
    const std::string told = "mot inconnu « frozen\\u00A0 »";
    EXPECT_NE(run.err.find(told), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(told, run.err.find(told) + 1), std::string::npos) << "once: " << run.err;
    EXPECT_EQ(run.err.find("autres mots inconnus"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("mot « silent:99999999999 » dans IOWVIRT : le nombre va de 0 à "
                           "999999999 ; mot laissé de côté."),
              std::string::npos)
        << run.err;
}

}  // namespace
