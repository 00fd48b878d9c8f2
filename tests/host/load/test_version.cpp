// rtc_host --version as a process: the project's version, the block and the
// device library it loaded with their full paths, and whether that library
// is the virtual IOW24; and a device library that cannot be found by name.
#include <gtest/gtest.h>

#include "tests/host/hote.h"
#include "tests/host/processus.h"

namespace {

// The line of `text` that starts with `start`, without it.
std::string line_after(const std::string& text, const std::string& start) {
    const std::size_t at = text.find("\n" + start);
    if (at == std::string::npos) return "<no line " + start + ">";
    const std::size_t from = at + 1 + start.size();
    return text.substr(from, text.find('\n', from) - from);
}

// Folders compared without regard to the separator Wine or Windows gives.
std::string plain(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

TEST(HostVersion, NamesTheVersionAndTheLibrariesItLoadedInFull) {
    const Finished run = run_program(kHost, {"--version"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(std::string("rtc_host ") + RTC_VERSION + "\n", 0), 0u) << run.out;
    EXPECT_EQ(plain(line_after(run.out, "bloc : ")), plain(own_folder() + kBlockFile));
    EXPECT_EQ(plain(line_after(run.out, "bibliothèque de l'IOW24 : ")),
              plain(own_folder() + kDeviceFile));
    EXPECT_NE(run.out.find(std::string("  c'est l'IOW24 virtuel (rtc_iow24 ") + RTC_VERSION +
                           ") : aucun matériel n'est utilisé.\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.err, "");
#ifdef _WIN32
    // Read from the library's version resource, as the vendor's gives it.
    EXPECT_NE(run.out.find(std::string("  version de fichier : ") + RTC_VERSION + ".0\n"),
              std::string::npos)
        << run.out;
#endif
}

TEST(HostVersion, TellsAnotherDeviceLibraryFromTheVirtualOne) {
    const std::string other = own_folder() + "autre" + kSeparator + kDeviceFile;
    const Finished run = run_program(kHost, {"--version", "--device", other});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(plain(line_after(run.out, "bibliothèque de l'IOW24 : ")), plain(other));
    EXPECT_NE(run.out.find("  ce n'est pas l'IOW24 virtuel : c'est une autre bibliothèque"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("c'est l'IOW24 virtuel"), std::string::npos) << run.out;
}

TEST(HostVersion, ADeviceLibraryNotFoundByNameSaysWhereToPutIt) {
    const Finished run = run_program(kHost, {"--check", "--device", "pas-de-iowkit.dll"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err.rfind("Erreur : impossible de charger la bibliothèque de l'IOW24 "
                            "pas-de-iowkit.dll : ",
                            0),
              0u)
        << run.err;
    EXPECT_NE(run.err.find("ne trouve pas"), std::string::npos) << run.err;
    // A path the user typed needs no advice on where to install the library.
    const Finished typed = run_program(kHost, {"--device", "no-such-folder/iowkit.dll"});
    EXPECT_EQ(typed.status, 3);
    EXPECT_EQ(typed.err.find("ne trouve pas"), std::string::npos) << typed.err;
}

}  // namespace
