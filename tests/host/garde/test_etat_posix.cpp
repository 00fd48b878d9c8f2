// The virtual clock's state file where users and crashes put it: programs
// killed at any moment, odd things at its path, and the default folders of
// a new account. Processes of the real program, each with an environment
// of its own: no test touches the user's real folders.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

#include "tests/host/horloge_gardee.h"
#include "tests/premiere_version.h"
#include "virtual/pile/etat.h"

namespace {

std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A script that holds "init" high for many steps: the clock is written at
// every one, so a kill comes in the middle of a save sooner or later.
std::string long_setting() {
    std::string script = "init,sec,min,heu,dat,moi,ann\n";
    for (int step = 0; step < 3000; ++step)
        script += "5," + std::to_string(step % 60) + ",30,13,31,12,2011\n";
    return scratch_file("reglage-long.csv", script);
}

TEST(StateFileKills, AProgramKilledAnyMomentLeavesAWholeStateAndNoTemporary) {
    const std::string folder = scratch_folder("tues");
    const std::string state = folder + "etat";
    const std::string script = long_setting();
    std::mt19937 random(20261208);
    for (int run = 0; run < 30; ++run) {
        // Now and then no file yet: the kill may come while it is made.
        if (run % 3 == 0) unlink(state.c_str());
        const auto after = std::chrono::microseconds(random() % 30000);
        run_killed(kHost, {"--script", script, "--period-ms", "0"},
                   {{"IOWVIRT_STATE", state}, {"IOWVIRT_NOW", std::to_string(kMonday)}}, after);
        const Finished read = host(state, kMonday, {"--read", "1"});
        EXPECT_EQ(read.err.find("illisible"), std::string::npos)
            << "run " << run << ": " << read.err;
        ASSERT_EQ(read.status, 0) << read.err;
    }
    const std::vector<std::string> left = files_in(folder);
    EXPECT_TRUE(left.empty() || left == std::vector<std::string>{"etat"}) << left.size();
}

TEST(StateFileKills, OnlyThisFilesTemporariesOfProgramsGoneAreRemoved) {
    const std::string folder = scratch_folder("restes");
    const std::string state = folder + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string alive = std::to_string(getpid());
    for (const std::string& name : std::vector<std::string>{
             "etat.tmp-999999999-0", "etat.tmp-abc", "autre.tmp-999999999-0",
             "etat.tmp-" + alive + "-0", "etat.tmp-1-2-3", "etat.tmp-999999999-x7"})
        write_bytes(folder + name, "reste");
    host(state, kMonday, {"--read", "1"});
    std::vector<std::string> expected{"autre.tmp-999999999-0",    "etat",
                                      "etat.tmp-" + alive + "-0", "etat.tmp-1-2-3",
                                      "etat.tmp-999999999-x7",    "etat.tmp-abc"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files_in(folder), expected);
}

// What a run said about its state file, and what it read.
void expect_kept_in_memory(const Finished& run, const std::string& what) {
    EXPECT_EQ(run.status, 0) << what << ": " << run.err;
    EXPECT_EQ(last_reading(run), "   2  lecture      58     30     13     31     12     11")
        << what;
    const std::size_t said = run.err.find("IOW24 virtuel : ");
    EXPECT_NE(run.err.find("l'horloge ne garde son heure que tant que ce programme tourne."),
              std::string::npos)
        << what << ": " << run.err;
    EXPECT_EQ(run.err.find("IOW24 virtuel", said + 1), std::string::npos)
        << "said once: " << run.err;
}

const std::vector<std::string> kSetAndRead = {"--set", "2011-12-31 13:30:58", "--read",
                                              "1",     "--period-ms",         "0"};

TEST(StateFilePlaces, AnythingButARegularFileIsLeftUntouchedAndSaidOnce) {
    const std::string folder = scratch_folder("etranges");
    const std::string fifo = folder + "tube", directory = folder + "dossier";
    const std::string device = folder + "peripherique";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    // A device node of its own where the system allows it; else a link to one.
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 5)) != 0) {
        ASSERT_EQ(symlink("/dev/zero", device.c_str()), 0);
    }
    for (const std::string& path : {fifo, directory, device}) {
        const Finished run = host(path, kMonday, kSetAndRead);
        expect_kept_in_memory(run, path);
        EXPECT_NE(run.err.find("n'est pas un fichier ordinaire"), std::string::npos) << run.err;
    }
    struct stat info {};
    EXPECT_TRUE(stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
    EXPECT_TRUE(stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    EXPECT_TRUE(stat(device.c_str(), &info) == 0 && S_ISCHR(info.st_mode));
    EXPECT_TRUE(stat("/dev/zero", &info) == 0 && S_ISCHR(info.st_mode));
    EXPECT_EQ(files_in(folder), (std::vector<std::string>{"dossier", "peripherique", "tube"}));
}

TEST(StateFilePlaces, AHugeFileIsJudgedOnItsFirstBytesAndPutAside) {
    const std::string folder = scratch_folder("enorme");
    const std::string state = folder + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    // A gigabyte of holes after a good start: nothing on the disk, and no
    // program reads it all.
    ASSERT_EQ(truncate(state.c_str(), 1LL << 30), 0);
    const Finished run = host(state, kMonday, {"--read", "1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("est illisible (fichier trop long)"), std::string::npos) << run.err;
    // Put aside, and the new chip kept in a new file.
    EXPECT_EQ(files_in(folder).size(), 2u);
    EXPECT_EQ(read_bytes(state).size(), iowvirt::kStateFileSize);
}

TEST(StateFilePlaces, ALinkIsFollowedAndItsTargetWritten) {
    const std::string folder = scratch_folder("lien");
    const std::string target = folder + "vrai", link = folder + "lien";
    ASSERT_EQ(symlink("vrai", link.c_str()), 0);
    host(link, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    struct stat info {};
    ASSERT_TRUE(lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
    EXPECT_EQ(read_bytes(target).size(), iowvirt::kStateFileSize);
    host(link, kMonday, {"--set", "2022-06-15 08:00:00", "--period-ms", "0"});
    EXPECT_EQ(last_reading(host(target, kMonday, {"--read", "1"})),
              reading("     0      0      8     15      6     22"));
}

TEST(StateFilePlaces, ALinkToAUsersFileLeavesTheFileAndTheLinkAsTheyWere) {
    const std::string folder = scratch_folder("lien-utilisateur");
    const std::string mine = folder + "notes.txt", link = folder + "etat";
    write_bytes(mine, "mes notes de TP\n");
    ASSERT_EQ(symlink("notes.txt", link.c_str()), 0);
    for (int set = 0; set < 2; ++set) {
        const Finished run = host(link, kMonday, kSetAndRead);
        expect_kept_in_memory(run, "lien");
        EXPECT_NE(run.err.find(mine + " n'est pas un fichier de l'horloge virtuelle : il est "
                                      "laissé tel quel"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(read_bytes(mine), "mes notes de TP\n");
    struct stat info {};
    EXPECT_TRUE(lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
    EXPECT_EQ(files_in(folder), (std::vector<std::string>{"etat", "notes.txt"}));
}

TEST(StateFilePlaces, AFileThatMayOnlyBeReadGivesItsTimeAndSaysWhyItIsNotWritten) {
    const std::string folder = scratch_folder("lecture-seule");
    const std::string state = folder + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    ASSERT_EQ(chmod(state.c_str(), 0444), 0);
    const std::string kept = read_bytes(state);
    // As another account's file: the program is held to its permissions.
    const Environment environment{{"IOWVIRT_STATE", state},
                                  {"IOWVIRT_NOW", std::to_string(kMonday + 60)},
                                  {kFilePermissions, "1"}};
    const Finished read = run_program(kHost, {"--read", "1"}, environment);
    EXPECT_EQ(last_reading(read), reading("    58     31     13     31     12     11"));
    EXPECT_EQ(read.err.find("IOW24 virtuel"), std::string::npos) << read.err;
    const Finished set = run_program(kHost, kSetAndRead, environment);
    expect_kept_in_memory(set, "lecture seule");
    EXPECT_NE(set.err.find("IOW24 virtuel : impossible d'écrire " + state + " (" +
                           std::strerror(EACCES) + ")"),
              std::string::npos)
        << set.err;
    EXPECT_EQ(read_bytes(state), kept);
}

// rtc_host with its standard output or error closed, as a scheduled task
// may start it: nothing it prints may land in the clock's file.
TEST(StateFilePlaces, ClosedStandardStreamsNeverBecomeTheStateFile) {
    const std::string folder = scratch_folder("flux-fermes");
    const std::string state = folder + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string kept = read_bytes(state);
    const std::pair<std::vector<std::string>, Environment> runs[] = {
        {{"--read", "2", "--period-ms", "0"}, {{kStdoutTo, kClosed}}},
        {{"--check"}, {{kStdoutTo, kClosed}}},
        {{"--read", "2", "--period-ms", "0", "--trace"}, {{kStderrTo, kClosed}}},
    };
    for (auto [arguments, environment] : runs) {
        environment.insert(environment.end(), {{"IOWVIRT_STATE", state},
                                               {"IOWVIRT_NOW", std::to_string(kMonday + 5)}});
        const Finished run = run_program(kHost, arguments, environment);
        EXPECT_EQ(run.status, 6) << arguments[0] << ": " << run.err;
        EXPECT_EQ(read_bytes(state), kept) << arguments[0];
        EXPECT_EQ(files_in(folder), std::vector<std::string>{"etat"}) << arguments[0];
    }
}

// "--set now" takes the PC's time just before the step that writes it: an
// IOW24 slow to open (here its state file, 2 s; on Windows a box waiting
// for a click) leaves the clock right, not behind by that much.
TEST(StateFilePlaces, SetNowTakesThePcsTimeWhenTheClockIsWritten) {
    const std::string state = scratch_folder("ouverture-lente") + "etat";
    run_program(kHost, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"},
                {{"IOWVIRT_STATE", state}});
    const Finished run = run_program(kHost, {"--set", "now", "--read", "1", "--period-ms", "0"},
                                     {{"IOWVIRT_STATE", state},
                                      {"LD_PRELOAD", own_folder() + "libdisque_lent.so"},
                                      {"ASAN_OPTIONS", "verify_asan_link_order=0"},
                                      {"RTC_TEST_SLOW_OPEN", state}});
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(run.status, 0) << run.err;
    std::tm now{};
    localtime_r(&after, &now);
    std::istringstream read(last_reading(run).substr(15));
    int sec = 0, min = 0, hour = 0;
    read >> sec >> min >> hour;
    const int behind = ((now.tm_hour * 60 + now.tm_min) * 60 + now.tm_sec -
                        ((hour * 60 + min) * 60 + sec) + 86400) %
                       86400;
    EXPECT_LE(behind, 1) << last_reading(run);
}

TEST(StateFilePlaces, ASlowDiskAtTheCloseIsNoIow24ThatStoppedAnswering) {
    const std::string state = scratch_folder("disque-lent") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    // Each flush of the state file takes 400 ms; a device call may take 100.
    const Finished run = run_program(
        kHost,
        {"--set", "2022-06-15 08:00:00", "--read", "1", "--period-ms", "0", "--timeout-ms", "100"},
        {{"IOWVIRT_STATE", state},
         {"IOWVIRT_NOW", std::to_string(kMonday)},
         {"LD_PRELOAD", own_folder() + "libdisque_lent.so"},
         {"ASAN_OPTIONS", "verify_asan_link_order=0"},
         {"RTC_TEST_SLOW_FSYNC", state}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("ne répond plus"), std::string::npos) << run.err;
    EXPECT_EQ(last_reading(run), "   2  lecture       0      0      8     15      6     22");
}

// A save held up between its look at the newest record and its write (a
// program preempted, an antivirus scan) holds the others' saves back; it
// never lands over a newer setting. B's sets come while A's waits: B's
// last one is the clock's.
TEST(StateFilePlaces, TwoProgramsSavingAtOnceLeaveTheLastSetting) {
    const std::string state = scratch_folder("deux-sauvegardes") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string b = scratch_file("b-regle.csv",
                                       "init,sec,min,heu,dat,moi,ann\n0,0,0,0,0,0,0\n"
                                       "5,0,0,8,15,6,2031\n5,0,0,8,15,6,2032\n"
                                       "5,0,0,8,15,6,2033\n");
    const Environment both{{"IOWVIRT_STATE", state}, {"IOWVIRT_NOW", std::to_string(kMonday)}};
    Environment held = both;
    held.insert(held.end(), {{"LD_PRELOAD", own_folder() + "libdisque_lent.so"},
                             {"ASAN_OPTIONS", "verify_asan_link_order=0"},
                             {"RTC_TEST_SLOW_WRITE", state}});
    const auto runs =
        run_together(kHost, {{{"--set", "2030-06-15 08:00:00", "--period-ms", "0"}, held},
                             {{"--script", b, "--period-ms", "300"}, both}});
    for (const Finished& run : runs)
        EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(last_reading(host(state, kMonday, {"--read", "1"})),
              reading("     0      0      8     15      6     33"));
}

// Making the state file flushes it inside the device call that saves
// first: a slow disk there is no IOW24 that stopped answering, and the
// setting is kept, with no temporary left.
TEST(StateFilePlaces, ASlowDiskMakingTheFileIsNoIow24ThatStoppedAnswering) {
    const std::string folder = scratch_folder("creation-lente");
    const Finished run = run_program(
        kHost, {"--set", "2022-06-15 08:00:00", "--period-ms", "0", "--timeout-ms", "100"},
        {{"IOWVIRT_STATE", folder + "etat"},
         {"IOWVIRT_NOW", std::to_string(kMonday)},
         {"LD_PRELOAD", own_folder() + "libdisque_lent.so"},
         {"ASAN_OPTIONS", "verify_asan_link_order=0"},
         {"RTC_TEST_SLOW_FSYNC", folder + "etat"}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("ne répond plus"), std::string::npos) << run.err;
    EXPECT_EQ(files_in(folder), std::vector<std::string>{"etat"});
    EXPECT_EQ(last_reading(host(folder + "etat", kMonday, {"--read", "1"})),
              reading("     0      0      8     15      6     22"));
}

// The disk slow anywhere the virtual IOW24 touches it: the state file slow
// to open (2 s), the PC's exercise file slow to open, a save's write held
// up (1.5 s). None of it is an IOW24 that stopped answering within the
// 500 ms a device call is given.
TEST(StateFilePlaces, SlowFileWorkIsNoIow24ThatStoppedAnswering) {
    const std::string folder = scratch_folder("fichiers-lents");
    const std::string state = folder + "etat", pc = folder + "exercice.txt";
    write_bytes(pc, "# rien\n");
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::pair<const char*, std::string> slow[] = {{"RTC_TEST_SLOW_OPEN", state},
                                                        {"RTC_TEST_SLOW_OPEN", pc},
                                                        {"RTC_TEST_SLOW_WRITE", state},
                                                        {"RTC_TEST_SLOW_LOCK", state}};
    for (const auto& [what, path] : slow) {
        const Finished run = run_program(kHost,
                                         {"--set", "2022-06-15 08:00:00", "--read", "1",
                                          "--period-ms", "0", "--timeout-ms", "500"},
                                         {{"IOWVIRT_STATE", state},
                                          {"IOWVIRT_EXERCICE", pc},
                                          {"IOWVIRT_NOW", std::to_string(kMonday)},
                                          {"LD_PRELOAD", own_folder() + "libdisque_lent.so"},
                                          {"ASAN_OPTIONS", "verify_asan_link_order=0"},
                                          {what, path}});
        EXPECT_EQ(run.status, 0) << what << " " << path << "\n" << run.err;
        EXPECT_EQ(run.err.find("ne répond plus"), std::string::npos) << run.err;
        EXPECT_EQ(last_reading(run), "   2  lecture       0      0      8     15      6     22");
    }
}

// A save looks at the records only once it holds the lock: a program
// launched while another's save is in mid-write (the PC's clock behind, so
// that its launch keeps what it found) never writes over that save.
TEST(StateFilePlaces, ASaveLooksAtTheRecordsOnlyOnceItHoldsTheLock) {
    const std::string folder = scratch_folder("verrou-regard");
    const std::string state = folder + "etat", held = folder + "ecriture-retenue";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    std::atomic<bool> done{false};
    std::thread setter([&] {
        run_program(kHost, {"--set", "2022-06-15 08:00:00", "--period-ms", "0"},
                    {{"IOWVIRT_STATE", state},
                     {"IOWVIRT_NOW", std::to_string(kMonday)},
                     {"LD_PRELOAD", own_folder() + "libdisque_lent.so"},
                     {"ASAN_OPTIONS", "verify_asan_link_order=0"},
                     {"RTC_TEST_SLOW_WRITE", state},
                     {"RTC_TEST_HOLD_SIGNAL", held}});
        done = true;
    });
    // Not a wait for time: for the setter's save to be in mid-write.
    while (!done && !std::ifstream(held).good())
        std::this_thread::yield();
    EXPECT_FALSE(done) << "the setter's write was never held";
    host(state, kMonday - 3600, {"--read", "1"});
    setter.join();
    EXPECT_EQ(last_reading(host(state, kMonday + 60, {"--read", "1"})),
              reading("     0      1      8     15      6     22"));
}

TEST(StateFilePlaces, AFileThatCannotBeWrittenLeavesNothingBehind) {
    const std::string folder = scratch_folder("disque-plein");
    const Finished run = run_program(kHost, kSetAndRead,
                                     {{"IOWVIRT_STATE", folder + "etat"},
                                      {kFileSizeLimit, "100"},
                                      {kStdoutTo, "/dev/null"},
                                      {"IOWVIRT_NOW", std::to_string(kMonday)}});
    // Its stderr is a file under the same limit: only the message's start
    // is there.
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("IOW24 virtuel : impossible d"), std::string::npos) << run.err;
    EXPECT_EQ(files_in(folder), std::vector<std::string>{});
}

// A first-version file is upgraded second record first: a disk that fills
// up at byte 100 stops that write, and the old record stands. Written first
// record first, the same disk would tear the only record there is.
TEST(StateFilePlaces, AnUpgradeCutShortKeepsTheFirstVersionsTime) {
    const std::string state = scratch_folder("mise-a-niveau") + "etat";
    const std::uint8_t time[7] = {0x58, 0x30, 0x13, 0x06, 0x31, 0x12, 0x11};
    write_bytes(state, first_version_file(time, kMonday * 1000, 0));
    run_program(kHost, {"--set", "2022-06-15 08:00:00", "--period-ms", "0"},
                {{"IOWVIRT_STATE", state},
                 {"IOWVIRT_NOW", std::to_string(kMonday)},
                 {kFileSizeLimit, "100"}});
    const Finished read = host(state, kMonday, {"--read", "1"});
    EXPECT_EQ(last_reading(read), reading("    58     30     13     31     12     11"));
    EXPECT_EQ(read.err.find("illisible"), std::string::npos) << read.err;
}

TEST(StateFilePlaces, TheDefaultFoldersOfANewAccountAreMade) {
    const std::string xdg = scratch_folder("xdg") + "etat/neuf";
    Finished run = run_program(kHost, kSetAndRead,
                               {{"IOWVIRT_STATE", kUnset},
                                {"XDG_STATE_HOME", xdg},
                                {"IOWVIRT_NOW", std::to_string(kMonday)}});
    EXPECT_EQ(run.err.find("IOW24 virtuel"), std::string::npos) << run.err;
    EXPECT_EQ(read_bytes(xdg + "/rtc_iow24/horloge-virtuelle.bin").size(), iowvirt::kStateFileSize);

    const std::string home = scratch_folder("maison") + "eleve";
    run = run_program(kHost, kSetAndRead,
                      {{"IOWVIRT_STATE", kUnset},
                       {"XDG_STATE_HOME", kUnset},
                       {"HOME", home},
                       {"IOWVIRT_NOW", std::to_string(kMonday)}});
    EXPECT_EQ(run.err.find("IOW24 virtuel"), std::string::npos) << run.err;
    EXPECT_EQ(read_bytes(home + "/.local/state/rtc_iow24/horloge-virtuelle.bin").size(),
              iowvirt::kStateFileSize);
}

TEST(StateFilePlaces, NoUsablePlaceIsSaidOnce) {
    const std::vector<Environment> nowhere = {
        {{"IOWVIRT_STATE", ""}},
        {{"IOWVIRT_STATE", kUnset}, {"XDG_STATE_HOME", "relatif"}, {"HOME", kUnset}},
    };
    for (const Environment& environment : nowhere)
        expect_kept_in_memory(run_program(kHost, kSetAndRead, environment),
                              environment.size() == 1 ? "IOWVIRT_STATE vide" : "sans HOME");
}

}  // namespace
