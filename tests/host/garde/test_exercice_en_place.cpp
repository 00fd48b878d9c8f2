// The PC's exercise file where the guide puts it, with no IOWVIRT variable
// at all: on Linux /etc/rtc_iow24/iowvirt.txt, seen by the child alone in
// a mount namespace of its own; on Windows the prefix's own
// C:\ProgramData\rtc_iow24\iowvirt.txt, removed at the end. Two new
// accounts, the check, a script and the simulator's copy all play it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/host/horloge_gardee.h"

namespace {

// The PC's file planted with `words` for the children; where they read it.
class PcFileAtItsPlace {
  public:
    explicit PcFileAtItsPlace(const std::string& words) {
#ifdef _WIN32
        const char* all_accounts = std::getenv("ProgramData");
        folder_ =
            std::string(all_accounts != nullptr ? all_accounts : "C:\\ProgramData") + "\\rtc_iow24";
        path_ = folder_ + "\\iowvirt.txt";
#else
        const std::string layer = scratch_folder("etc-du-pc");
        folder_ = layer + "rtc_iow24";
        path_ = "/etc/rtc_iow24/iowvirt.txt";
        environment_.emplace_back(kPrivateEtc, layer);
#endif
        std::filesystem::create_directories(folder_);
        write_bytes(folder_ + kSeparator + "iowvirt.txt", words);
    }
    ~PcFileAtItsPlace() { std::filesystem::remove_all(folder_); }
    // A new account's: its own folders, and no variable of the virtual
    // IOW24's.
    Environment account(const std::string& name) const {
        Environment environment = environment_;
        for (const char* variable : {"IOWVIRT", "IOWVIRT_EXERCICE", "IOWVIRT_STATE", "IOWVIRT_NOW"})
            environment.emplace_back(variable, kUnset);
        const std::string home = scratch_folder("compte-" + name);
#ifdef _WIN32
        environment.emplace_back("LOCALAPPDATA", home + "AppData\\Local");
#else
        environment.emplace_back("HOME", home);
        environment.emplace_back("XDG_STATE_HOME", kUnset);
#endif
        return environment;
    }
    const std::string& path() const { return path_; }

  private:
    std::string folder_, path_;
    Environment environment_;
};

// A copy of the virtual IOW24 beside a simulator's program; its path.
std::string simulator_copy() {
    const std::string folder = scratch_folder("simulateur-en-place");
    write_bytes(folder + kDeviceFile, read_bytes(own_folder() + kDeviceFile));
    return folder + kDeviceFile;
}

Finished host_run(std::vector<std::string> arguments, const Environment& environment) {
    arguments.insert(arguments.end(), kAlerts.begin(), kAlerts.end());
    return run_program(kHost, arguments, environment);
}

TEST(PcExerciseAtItsPlace, EveryToolOnTwoNewAccountsPlaysIt) {
    const PcFileAtItsPlace pc("# TP 2 : module débranché\r\nno-chip\r\n");
    const std::string script = scratch_file("en-place.csv", "RD\n5\n");
    const std::string simulator = simulator_copy();
    for (const std::string account : {"alice", "benoit"}) {
        const Environment lab = pc.account(account);
        const Finished check = host_run({"--check", "--period-ms", "0"}, lab);
        if (check.status == kNoPrivateEtc) GTEST_SKIP() << "no mount namespace of its own here";
        EXPECT_EQ(check.status, 4) << account << "\n" << check.out << check.err;
        EXPECT_NE(check.out.find("DEFAUT   Réponse de l'horloge"), std::string::npos) << check.out;
        for (const std::vector<std::string>& run :
             {std::vector<std::string>{"--script", script, "--period-ms", "0"},
              std::vector<std::string>{"--read", "1", "--device", simulator}}) {
            const Finished played = host_run(run, lab);
            EXPECT_EQ(played.status, 0) << played.err;
            EXPECT_NE(played.err.find("Erreur de lecture"), std::string::npos) << played.err;
        }
        // The students see nothing of the file; the teacher sees it all.
        EXPECT_EQ((check.out + check.err).find(pc.path()), std::string::npos) << check.out;
        const Finished teacher = host_run({"--exercice", "--device", simulator}, lab);
        EXPECT_NE(teacher.out.find(" : no-chip (" + pc.path() + ")"), std::string::npos)
            << teacher.out;
    }
    // An empty IOWVIRT_EXERCICE names no file: the PC's is read, and the
    // teacher is told.
    Environment empty = pc.account("claire");
    empty.emplace_back("IOWVIRT_EXERCICE", "");
    EXPECT_EQ(host_run({"--check", "--period-ms", "0"}, empty).status, 4);
    const Finished teacher = host_run({"--exercice"}, empty);
    EXPECT_NE(teacher.out.find(" : no-chip (" + pc.path() +
                               ") ; IOWVIRT_EXERCICE est vide : le fichier du PC est lu"),
              std::string::npos)
        << teacher.out;
}

}  // namespace
