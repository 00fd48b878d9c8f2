// The usual mistakes with the device library, each told in words and never
// a crash: a library under another name, the block in its place, a library
// without the IOW24's functions, a 64-bit one.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

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

// The block as the device library, under its own name, is told as the
// block before anything is loaded.
TEST(DeviceLibraryMistakes, TheBlockUnderItsOwnNameIsToldAsTheBlock) {
    for (const std::string& device : {own_folder() + kBlockFile, kBlockFile}) {
        const Finished run = read_with(device);
        EXPECT_EQ(run.status, kExitLibrary) << device;
        EXPECT_EQ(run.err.rfind("Erreur : " + device +
                                    " est le bloc, pas une bibliothèque de l'IOW24.\nDonnez à "
                                    "--device le chemin d'une iowkit.dll",
                                0),
                  0u)
            << run.err;
    }
}

// A package as a user unpacks it: the host, the block and, unless left
// out, the virtual IOW24 in its folder.
std::string package(const std::string& name, bool with_folder, bool with_device) {
    const std::string folder = scratch_folder(name);
    for (const std::string& file : {kHost, kBlockFile})
        write_bytes(folder + file, read_bytes(own_folder() + file));
#ifndef _WIN32
    chmod((folder + kHost).c_str(), 0755);
#endif
    if (with_folder) scratch_folder(name + kSeparator + "virtuel");
    if (with_device)
        write_bytes(folder + "virtuel" + kSeparator + kDeviceFile,
                    read_bytes(own_folder() + kDeviceFile));
    return folder;
}

TEST(DeviceLibraryMistakes, AMissingVirtualIow24NamesThePathLookedForAndOnlyThePackageIsHinted) {
    struct Case {
        bool with_folder;
        const char* path;  // in the package
        const char* hint;
    };
    const Case cases[] = {
        // A program copied alone names the package's place on every line.
        {false, "virtuel",
         "Le dossier virtuel du paquet, avec l'IOW24 virtuel, manque à côté de rtc_host : lancez "
         "rtc_host depuis le dossier du ZIP extrait en entier"},
        {true, "virtuel",
         " manque dans le dossier virtuel du paquet : extrayez de nouveau tout le ZIP"},
    };
    int number = 0;
    for (const Case& c : cases) {
        const std::string folder =
            package("paquet-" + std::to_string(++number), c.with_folder, false);
        const std::string looked_for = folder + c.path + kSeparator + kDeviceFile;
        const Finished run = run_program(folder + kHost, {"--read", "1"});
        EXPECT_EQ(run.status, kExitLibrary) << run.err;
        EXPECT_EQ(run.err.rfind("Erreur : impossible de charger la bibliothèque de l'IOW24 " +
                                    looked_for + " : ",
                                0),
                  0u)
            << run.err;
        EXPECT_NE(run.err.find(c.hint), std::string::npos) << run.err;
        // A library the user named is no part of the package.
        const Finished named = run_program(folder + kHost, {"--read", "1", "--device", looked_for});
        EXPECT_EQ(named.err.find("du paquet"), std::string::npos) << named.err;
    }
}

TEST(DeviceLibraryMistakes, ThePackagesOwnVirtualIow24IsNeverToBeDeleted) {
    const std::string folder = package("paquet-complet", true, true);
    const std::string own = folder + "virtuel" + kSeparator + kDeviceFile;
    std::vector<std::string> arguments{"--device", own, "--check", "--hardware"};
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    Finished run = run_program(folder + kHost, arguments);
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_NE(run.out.find("C'est celle du paquet, à garder : pour le matériel, donnez --device "
                           "iowkit.dll"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("Supprimez"), std::string::npos) << run.out;
    // A copy elsewhere, where Windows would find it first, is to go.
    arguments[1] = copied(own_folder() + kDeviceFile, "copie-ailleurs", kDeviceFile);
    run = run_program(folder + kHost, arguments);
    EXPECT_NE(run.out.find("Supprimez cette copie"), std::string::npos) << run.out;
}

// What a student does wrong in the package's folder: words beside the
// program instead of beside the library, a script named from elsewhere, a
// folder given as the script, the virtual IOW24 checked as hardware.
TEST(DeviceLibraryMistakes, EachMistakeInThePackageLeadsToTheNextStep) {
    const std::string folder = package("paquet-eleve", true, true);
    write_bytes(folder + "iowvirt.txt", "no-chip\n");
    Finished run = run_program(folder + kHost, {"--read", "1", "--console-alerts"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("Attention : " + folder +
                           "iowvirt.txt ne compte pas : l'IOW24 virtuel "
                           "chargé est " +
                           folder + "virtuel" + kSeparator + kDeviceFile),
              std::string::npos)
        << run.err;
    run = run_program(folder + kHost, {"--script", "essai-introuvable.csv"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Cherché dans le dossier "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("--help"), std::string::npos) << run.err;
    run = run_program(folder + kHost, {"--script", folder + "virtuel"});
    EXPECT_NE(run.err.find("c'est un dossier, pas un fichier"), std::string::npos) << run.err;
    std::vector<std::string> arguments{"--device", folder + "virtuel" + kSeparator + kDeviceFile,
                                       "--check", "--hardware"};
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    run = run_program(folder + kHost, arguments);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err.find("IOW24 détecté"), std::string::npos) << run.err;
}

// A library under the device's name with the block's functions: its own
// functions are not the IOW24's, whatever it imports.
TEST(DeviceLibraryMistakes, ALibraryWithoutTheFunctionsIsRefusedBeforeBinding) {
    for (const std::string& device :
         {copied(own_folder() + kBlockFile, "bloc-deguise", kDeviceFile)}) {
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

#ifndef _WIN32
// The four functions found, but in the library it depends on.
TEST(DeviceLibraryMistakes, ALibraryWhoseFunctionsAreItsDependencysIsRefused) {
    const std::string dependant = own_folder() + "dependant/" + kDeviceFile;
    const Finished run = read_with(dependant);
    EXPECT_EQ(run.status, kExitLibrary) << run.err;
    EXPECT_EQ(run.err.rfind("Erreur : la bibliothèque de l'IOW24 " + dependant +
                                " ne convient pas : elle n'a pas elle-même IowKitOpenDevice",
                            0),
              0u)
        << run.err;
}
#endif

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

#ifdef _WIN32
// Windows names files without case; a PE file built for ARM64 is 64-bit too.
TEST(DeviceLibraryMistakes, TheNameIsTakenWithoutCaseAndAnArm64LibraryIsA64BitOne) {
    const Finished upper =
        read_with(copied(own_folder() + kDeviceFile, "majuscules", "IOWKIT.DLL"));
    EXPECT_EQ(upper.status, 0) << upper.err;
    std::string arm64(1024, '\0');
    arm64.replace(0, 2, "MZ");
    arm64[0x3C] = 0x40;
    arm64.replace(0x40, 6, std::string("PE\0\0\x64\xAA", 6));
    const std::string path = scratch_folder("arm64") + kDeviceFile;
    write_bytes(path, arm64);
    const Finished run = read_with(path);
    EXPECT_EQ(run.status, kExitLibrary);
    EXPECT_NE(run.err.find("c'est une bibliothèque 64 bits"), std::string::npos) << run.err;
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
