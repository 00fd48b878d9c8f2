// The usual mistakes with the device library, each told in words and never
// a crash: a library under another name, the block in its place, a library
// without the IOW24's functions, a 64-bit one.
#include <gtest/gtest.h>

#include "tests/host/horloge_gardee.h"

namespace {

constexpr int kExitLibrary = 3;

// `from` copied into a folder of its own as `name`; its path.
std::string copied(const std::string& from, const std::string& folder, const std::string& name) {
    const std::string path = scratch_folder(folder) + name;
    write_bytes(path, read_bytes(from));
    return path;
}

Finished read_with(const std::string& device) {
    std::vector<std::string> arguments{"--device", device, "--read", "1"};
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    return run_program(kHost, arguments);
}

TEST(DeviceLibraryMistakes, ALibraryUnderAnotherNameIsToldToBeCopiedUnderItsName) {
    const std::string renamed = copied(own_folder() + kDeviceFile, "autre-nom",
                                       "iowkit-vrai" + kDeviceFile.substr(kDeviceFile.find('.')));
    const Finished run = read_with(renamed);
    EXPECT_EQ(run.status, kExitLibrary);
    EXPECT_EQ(run.err.rfind("Erreur : la bibliothèque de l'IOW24 " + renamed + " doit s'appeler " +
                                kDeviceFile + " : le bloc la cherche sous ce nom.",
                            0),
              0u)
        << run.err;
    EXPECT_NE(run.err.find("sous le nom " + kDeviceFile + " dans un dossier à elle"),
              std::string::npos)
        << run.err;
}

// The block as the device library, as given or under the device's name:
// its own functions are not the IOW24's, whatever it imports.
TEST(DeviceLibraryMistakes, TheBlockOrAnyLibraryWithoutTheFunctionsIsRefusedBeforeBinding) {
    for (const std::string& device :
         {own_folder() + kBlockFile,
          copied(own_folder() + kBlockFile, "bloc-deguise", kDeviceFile)}) {
        const Finished run = read_with(device);
        EXPECT_EQ(run.status, kExitLibrary) << device;
        EXPECT_EQ(run.err.rfind(
                      "Erreur : la bibliothèque de l'IOW24 " + device + " ne convient pas : ", 0),
                  0u)
            << run.err;
        EXPECT_NE(run.err.find("ce n'est pas une bibliothèque de l'IOW24"), std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "");
    }
}

#ifdef _WIN32
// Every function found, by name and by ordinal, but in another library.
TEST(DeviceLibraryMistakes, ALibraryThatOnlyPassesTheFunctionsOnIsRefused) {
    const std::string relay = own_folder() + "relais\\iowkit.dll";
    const Finished run = read_with(relay);
    EXPECT_EQ(run.status, kExitLibrary);
    EXPECT_NE(run.err.find("ne convient pas : elle ne fait que passer IowKitOpenDevice à "),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("kernel32.dll"), std::string::npos) << run.err;
}
#endif

#ifdef _WIN32
// The system's own text for a file that is no library has a placeholder.
TEST(DeviceLibraryMistakes, ASystemTextNamesTheFileNeverAPlaceholder) {
    const std::string path = scratch_folder("texte") + kDeviceFile;
    write_bytes(path, "ceci n'est pas une DLL\r\n");
    const Finished run = read_with(path);
    EXPECT_EQ(run.status, kExitLibrary);
    EXPECT_EQ(run.err.find('%'), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("impossible de charger la bibliothèque de l'IOW24 " + path + " : "),
              std::string::npos)
        << run.err;
}
#endif

#ifdef WINE64_DLL
// The vendor's kit has both; the 32-bit programs need the 32-bit one.
TEST(DeviceLibraryMistakes, A64BitLibraryIsToldToBeThe32BitOne) {
    const std::string wide = copied(WINE64_DLL, "64-bits", kDeviceFile);
    const Finished run = read_with(wide);
    EXPECT_EQ(run.status, kExitLibrary);
    EXPECT_NE(run.err.find("c'est une bibliothèque 64 bits"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("il faut la version 32 bits d'iowkit.dll"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("%1"), std::string::npos) << run.err;
}
#endif

}  // namespace
