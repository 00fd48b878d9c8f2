// The virtual clock chip keeps time between launches, like a chip on its
// battery, through its state file: processes of the real program, the PC's
// clock injected (IOWVIRT_NOW) so that no test waits for days.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "tests/host/horloge_gardee.h"
#include "tests/premiere_version.h"
#include "virtual/pile/etat.h"

namespace {

const char* const kNewChip = "    80      0      0      1      1      0";

TEST(KeptTime, AClockSetByOneProcessIsReadByTheNext) {
    const std::string state = scratch_folder("garde") + "un-autre";
    const Finished set = host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    ASSERT_EQ(set.status, 0) << set.err;
    const Finished read = host(state, kMonday, {"--read", "1"});
    EXPECT_EQ(last_reading(read), reading("    58     30     13     31     12     11"));
    EXPECT_EQ(read.err.find("IOW24 virtuel"), std::string::npos) << read.err;
}

TEST(KeptTime, AnAbsenceIsCountedAsTheChipWouldHaveOnItsBattery) {
    struct Case {
        const char* what;
        std::vector<std::string> set;
        long long absent_s;
        const char* read;
    };
    const Case cases[] = {
        {"a month's end",
         {"--set", "2011-01-31 23:59:58"},
         5,
         "     3      0      0      1      2     11"},
        {"a leap day",
         {"--set", "2024-02-28 23:00:00"},
         86400 + 3600,
         "     0      0      0      1      3     24"},
        {"a leap day in 2000",
         {"--set", "2000-02-28 12:00:00"},
         86400,
         "     0      0     12     29      2      0"},
        {"a year's end",
         {"--set", "2011-12-31 23:59:58"},
         3,
         "     1      0      0      1      1     12"},
        {"two years, 2024 a leap year",
         {"--set", "2023-03-01 08:15:00"},
         (365 + 366) * 86400LL,
         "     0     15      8      1      3     25"},
    };
    for (const Case& c : cases) {
        const std::string state = scratch_folder("absences") + c.what;
        std::vector<std::string> set = c.set;
        set.insert(set.end(), {"--period-ms", "0"});
        ASSERT_EQ(host(state, kMonday, set).status, 0) << c.what;
        const Finished read = host(state, kMonday + c.absent_s, {"--read", "1"});
        EXPECT_EQ(last_reading(read), reading(c.read)) << c.what;
    }
}

TEST(KeptTime, TwelveHourModeCarriesOnAcrossMidnight) {
    const std::string state = scratch_folder("douze") + "etat";
    // 11 PM in 12-hour mode: hours register 0x71.
    const std::string script =
        scratch_file("douze.csv", "init,sec,min,heu,dat,moi,ann\n5,0,0,71,31,12,2011\n");
    ASSERT_EQ(host(state, kMonday, {"--script", script, "--period-ms", "0"}).status, 0);
    const Finished read = host(state, kMonday + 3600, {"--read", "1"});
    // 12 AM (0x52) on the next day, the next year.
    EXPECT_EQ(last_reading(read), reading("     0      0     52      1      1     12"));
}

TEST(KeptTime, AHaltedClockStaysHaltedAndAClockSetBackNeverGoesBack) {
    // Set with the seconds' halt bit (80): the oscillator stands still.
    const std::string state = scratch_folder("arret") + "etat";
    const std::string halted =
        scratch_file("arret.csv", "init,sec,min,heu,dat,moi,ann\n5,80,30,13,31,12,2011\n");
    ASSERT_EQ(host(state, kMonday, {"--script", halted, "--period-ms", "0"}).status, 0);
    EXPECT_EQ(last_reading(host(state, kMonday + 86400 * 30, {"--read", "1"})),
              reading("    80     30     13     31     12     11"));

    const std::string running = scratch_folder("recul") + "etat";
    host(running, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    EXPECT_EQ(last_reading(host(running, kMonday + 60, {"--read", "1"})),
              reading("    58     31     13     31     12     11"));
    // The PC's clock set back an hour: the chip takes the time last shown
    // as the time now, never an earlier one, and counts on from there.
    EXPECT_EQ(last_reading(host(running, kMonday - 3600, {"--read", "1"})),
              reading("    58     31     13     31     12     11"));
    EXPECT_EQ(last_reading(host(running, kMonday - 3598, {"--read", "1"})),
              reading("     0     32     13     31     12     11"));
    // Years ahead (a file from a PC whose clock was wrong): two launches
    // two seconds apart still see two seconds go by.
    const std::string ahead = scratch_folder("en-avance") + "etat";
    host(ahead, kMonday + 10 * 365 * 86400LL, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    EXPECT_EQ(last_reading(host(ahead, kMonday, {"--read", "1"})),
              reading("    58     30     13     31     12     11"));
    EXPECT_EQ(last_reading(host(ahead, kMonday + 2, {"--read", "1"})),
              reading("     0     31     13     31     12     11"));
}

// A PC whose clock was wrong for a while (an hour slow, a dead CMOS
// battery at its BIOS date until the network sets it) and is then right
// again: the clock reads as if the wrong spell had never been. Each launch
// is given as seconds from the set, and what it runs.
TEST(KeptTime, APcClockWrongForAWhileAddsNothingOnceRightAgain) {
    struct Launch {
        long long at;  // seconds on the PC's clock from the set's moment
        std::vector<std::string> run;
        const char* read;  // the last reading, or "" when not looked at
    };
    const long long kBiosDate = epoch(2000, 1, 1, 0, 0, 0) - kMonday;
    const std::vector<std::string> read = {"--read", "1"};
    const std::vector<std::string> check = {"--check", "--period-ms", "0"};
    const std::pair<const char*, std::vector<Launch>> cases[] = {
        {"an hour slow",
         {{-3600, read, "     0      0     12      1      6     25"},
          {60, read, "     0      1     12      1      6     25"}}},
        {"the BIOS date",
         {{kBiosDate, check, ""}, {600, read, "     0     10     12      1      6     25"}}},
        {"slow, then slower, then right",
         {{-600, read, "     0      0     12      1      6     25"},
          {-590, read, "    10      0     12      1      6     25"},
          // Further back, what was shown stands still.
          {-7200, read, "    10      0     12      1      6     25"},
          {3600, read, "     0      0     13      1      6     25"}}},
    };
    for (const auto& [what, launches] : cases) {
        const std::string state = scratch_folder("pc-faux") + what;
        ASSERT_EQ(host(state, kMonday, {"--set", "01/06/2025 12:00:00", "--period-ms", "0"}).status,
                  0);
        for (const Launch& launch : launches) {
            const Finished run = host(state, kMonday + launch.at, launch.run);
            if (*launch.read != '\0') {
                EXPECT_EQ(last_reading(run), reading(launch.read)) << what << " at " << launch.at;
            }
        }
    }
}

// Ticks are not kept: a set made while the clock ticked counts on with the
// PC's clock once the word is gone.
TEST(KeptTime, ASetMadeWhileTickingCountsOnWithThePcsClock) {
    const std::string state = scratch_folder("tic-reglage") + "etat";
    std::string script = "RD,init,sec,min,heu,dat,moi,ann\n";
    for (int i = 0; i < 600; ++i)
        script += "5,0\n";
    script += "0,5,0,0,12,1,6,2025\n";
    const Finished ticked = host(
        state, kMonday, {"--script", scratch_file("tic.csv", script), "--period-ms", "0"}, "tick");
    ASSERT_EQ(ticked.status, 0) << ticked.err;
    EXPECT_EQ(last_reading(host(state, kMonday + 1800, {"--read", "1"})),
              reading("     0     30     12      1      6     25"));
}

// One account per student: every new account's board is delivered set and
// running, so each first check finds nothing that was not planted.
TEST(KeptTime, EveryNewAccountChecksClean) {
    for (const char* student : {"eleve-1", "élève-2"}) {
        const Finished run = run_program(kHost, {"--check", "--period-ms", "0"},
                                         {{"IOWVIRT_STATE", kUnset},
                                          {"XDG_STATE_HOME", kUnset},
                                          {"HOME", scratch_folder(student)},
                                          {"IOWVIRT", "tick"}});
        EXPECT_EQ(run.status, 0) << student << "\n" << run.out << run.err;
    }
}

// A program that has the clock open sees a setting another program made,
// at its next read, as two programs on one board would: A reads every
// 300 ms while B sets the clock half a second in.
TEST(KeptTime, AnOpenProgramReadsAnotherProgramsSetting) {
    const std::string state = scratch_folder("ouvert-pendant") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string b = scratch_file("b-regle-pendant.csv",
                                       "init,sec,min,heu,dat,moi,ann\n0,0,0,0,0,0,0\n"
                                       "5,0,0,8,15,6,2033\n");
    const Environment both{{"IOWVIRT_STATE", state}, {"IOWVIRT_NOW", std::to_string(kMonday)}};
    const auto runs = run_together(kHost, {{{"--read", "6", "--period-ms", "300"}, both},
                                           {{"--script", b, "--period-ms", "500"}, both}});
    ASSERT_EQ(runs[0].status, 0) << runs[0].err;
    EXPECT_EQ(last_reading(runs[0]).substr(15), "     0      0      8     15      6     33")
        << runs[0].out;
}

// The aside file a run named in its message.
std::string aside_named(const Finished& run, const std::string& state) {
    const std::size_t at = run.err.find(state + ".illisible-");
    if (at == std::string::npos) return "";
    return run.err.substr(at, run.err.find(',', at) - at);
}

TEST(KeptTime, ABadFileIsNeverTrustedNorOverwritten) {
    const std::string good_state = scratch_folder("bon") + "etat";
    host(good_state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string good = read_bytes(good_state);
    ASSERT_EQ(good.size(), iowvirt::kStateFileSize);
    std::string other_version = good, damaged = good;
    other_version[8] = 4;
    other_version[iowvirt::kRecordSize + 8] = 4;
    // Both records damaged: neither stands.
    damaged[30] ^= 0x01;
    damaged[iowvirt::kRecordSize + 30] ^= 0x01;
    const std::pair<const char*, std::string> files[] = {
        {"fichier tronqué", good.substr(0, 150)},
        {"fichier trop long", good + "\n"},
        {"version inconnue", other_version},
        {"somme de contrôle fausse", damaged},
    };
    int number = 0;
    for (const auto& [why, bytes] : files) {
        const std::string state = scratch_folder("mauvais-" + std::to_string(++number)) + "etat";
        write_bytes(state, bytes);
        const Finished run = host(state, kMonday, {"--read", "1"});
        EXPECT_EQ(run.status, 0) << why;
        EXPECT_EQ(last_reading(run), reading(kNewChip)) << why;
        const std::string said = "IOW24 virtuel : le fichier de l'horloge " + state +
                                 " est illisible (" + why + ") ; il est gardé sous " + state +
                                 ".illisible-";
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("IOW24 virtuel", run.err.find(said) + 1), std::string::npos)
            << "said once: " << run.err;
        EXPECT_EQ(read_bytes(aside_named(run, state)), bytes) << why << ": kept aside as it was";
        // The new chip is kept, whole, and stays halted at the next launch
        // an hour on, as the message said, until it is set.
        EXPECT_EQ(read_bytes(state).size(), iowvirt::kStateFileSize) << why;
        EXPECT_EQ(last_reading(host(state, kMonday + 3600, {"--read", "1"})), reading(kNewChip))
            << why;
    }
}

TEST(KeptTime, AFileThatIsNotTheClocksIsNeverMovedNorWritten) {
    const std::string script = "init;RD;sec\r\n5;0;45\r\n";
    const std::pair<std::string, std::string> files[] = {
        {"TP3.csv", script},  // IOWVIRT_STATE naming a teacher's script
        {"vide", ""},
    };
    for (const auto& [name, bytes] : files) {
        const std::string folder = scratch_folder("pas-a-elle-" + name);
        write_bytes(folder + name, bytes);
        for (int set = 0; set < 2; ++set) {
            const Finished run =
                host(folder + name, kMonday,
                     {"--set", "2011-12-31 13:30:58", "--read", "1", "--period-ms", "0"});
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(last_reading(run),
                      "   2  lecture      58     30     13     31     12     11");
            EXPECT_NE(
                run.err.find("IOW24 virtuel : " + folder + name +
                             " n'est pas un fichier de l'horloge virtuelle : il est laissé tel "
                             "quel ; l'horloge ne garde son heure que tant que ce programme "
                             "tourne."),
                std::string::npos)
                << run.err;
            EXPECT_EQ(run.err.find("illisible"), std::string::npos) << run.err;
        }
        EXPECT_EQ(read_bytes(folder + name), bytes) << name;
        EXPECT_FALSE(std::ifstream(folder + name + ".illisible-" + std::to_string(kMonday)).good());
    }
}

TEST(KeptTime, OneFlippedBitLosesNothingAndAFirstVersionFileIsUpgradedForGood) {
    const std::string state = scratch_folder("un-bit") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string good = read_bytes(state);
    for (const std::size_t bit : {std::size_t{0}, std::size_t{8 * 8}, std::size_t{8 * 50},
                                  8 * iowvirt::kRecordSize + 3, 8 * iowvirt::kStateFileSize - 1}) {
        std::string flipped = good;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        write_bytes(state, flipped);
        const Finished read = host(state, kMonday, {"--read", "1"});
        EXPECT_EQ(last_reading(read), reading("    58     30     13     31     12     11")) << bit;
        EXPECT_EQ(read.err.find("IOW24 virtuel"), std::string::npos) << bit << ": " << read.err;
    }

    const std::string old = scratch_folder("premiere-version") + "etat";
    const std::uint8_t time[7] = {0x58, 0x30, 0x13, 0x06, 0x31, 0x12, 0x11};
    write_bytes(old, first_version_file(time, kMonday * 1000, 0));
    EXPECT_EQ(last_reading(host(old, kMonday, {"--read", "1"})),
              reading("    58     30     13     31     12     11"));
    for (const char* year : {"2020", "2021", "2022"}) {
        host(old, kMonday, {"--set", std::string(year) + "-06-15 08:00:00", "--period-ms", "0"});
        const Finished read = host(old, kMonday, {"--read", "1"});
        EXPECT_EQ(last_reading(read),
                  reading("     0      0      8     15      6     ") + std::string(year + 2))
            << year;
        EXPECT_EQ(read.err.find("IOW24 virtuel"), std::string::npos) << read.err;
        // Two records of the current version from the first set on.
        const std::string file = read_bytes(old);
        ASSERT_EQ(file.size(), iowvirt::kStateFileSize);
        EXPECT_EQ(std::string({file[8], file[iowvirt::kRecordSize + 8]}),
                  std::string("\x03\x03", 2))
            << year;
    }

    // The release before kept two records of 104 bytes: read as they are,
    // then two records of the current version from the first set on.
    const std::string second = scratch_folder("deuxieme-version") + "etat";
    write_bytes(second, second_version_record(0x57, kMonday * 1000, 3) +
                            second_version_record(0x58, kMonday * 1000, 4));
    EXPECT_EQ(last_reading(host(second, kMonday, {"--read", "1"})),
              reading("    58      0      0      0      0      0"));
    host(second, kMonday, {"--set", "2022-06-15 08:00:00", "--period-ms", "0"});
    EXPECT_EQ(last_reading(host(second, kMonday + 60, {"--read", "1"})),
              reading("     0      1      8     15      6     22"));
    const std::string upgraded = read_bytes(second);
    ASSERT_EQ(upgraded.size(), iowvirt::kStateFileSize);
    EXPECT_EQ(std::string({upgraded[8], upgraded[iowvirt::kRecordSize + 8]}),
              std::string("\x03\x03", 2));
}

TEST(KeptTime, EachLaunchCarriesOnTheFilesSequence) {
    // Two saves in one launch leave the newest record first in the file; a
    // launch that counted from 0 again would write its own as the older.
    const std::string state = scratch_folder("sequence") + "etat";
    const std::string two =
        scratch_file("deux-reglages.csv",
                     "init;sec;min;heu;dat;moi;ann\n5;0;0;8;15;6;2020\n5;0;0;8;15;6;2021\n");
    host(state, kMonday, {"--script", two, "--period-ms", "0"});
    for (const char* moment : {"2022-06-15 08:00:00", "2023-06-15 08:00:00"})
        host(state, kMonday, {"--set", moment, "--period-ms", "0"});
    EXPECT_EQ(last_reading(host(state, kMonday, {"--read", "1"})),
              reading("     0      0      8     15      6     23"));
}

// With its output closed, rtc_host runs nothing: its results would go
// nowhere, and on POSIX the clock's file could take the stream's place.
TEST(KeptTime, ClosedStandardStreamsRunNothingAndLeaveTheFileAsItWas) {
    const std::string state = scratch_folder("flux-fermes-partout") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string kept = read_bytes(state);
    const std::pair<std::vector<std::string>, std::string> runs[] = {
        {{"--set", "2022-06-15 08:00:00", "--read", "2"}, kStdoutTo},
        {{"--check"}, kStdoutTo},
        {{"--set", "2022-06-15 08:00:00", "--trace"}, kStderrTo},
    };
    // A stream that refuses every write is as good as closed.
    for (const std::string& how : {kClosed, kReadOnly}) {
        for (const auto& [arguments, stream] : runs) {
            const Finished run = run_program(kHost, arguments,
                                             {{"IOWVIRT_STATE", state},
                                              {"IOWVIRT_NOW", std::to_string(kMonday)},
                                              {stream, how}});
            EXPECT_EQ(run.status, 6) << arguments[0] << " " << stream << how.substr(1);
            EXPECT_EQ(read_bytes(state), kept) << arguments[0] << " " << stream << how.substr(1);
        }
    }
}

TEST(KeptTime, ASetSurvivesAProgramThatNeverClosesTheDevice) {
    const std::string state = scratch_folder("jamais-ferme") + "etat";
    // The IOW24 stops answering after the set: the host gives up and ends
    // without closing the device, as a simulator ended from the Task Manager.
    // A bound long enough that a loaded machine never cuts the set itself.
    const Finished stuck = host(
        state, kMonday,
        {"--set", "2011-12-31 13:30:58", "--read", "2", "--period-ms", "0", "--timeout-ms", "1000"},
        "silent:2");
    ASSERT_EQ(stuck.status, 5) << stuck.err;
    ASSERT_NE(stuck.err.find("(appel : IowKitRead, dans CCalculate)"), std::string::npos)
        << stuck.err;
    EXPECT_EQ(last_reading(host(state, kMonday, {"--read", "1"})),
              reading("    58     30     13     31     12     11"));
}

TEST(KeptTime, TwoBadFilesWithinASecondAreBothKeptAside) {
    const std::string state = scratch_folder("deux-mauvais") + "etat";
    write_bytes(state, "RTCIOW24premier\n");
    const Finished first = host(state, kMonday, {"--read", "1"});
    write_bytes(state, "RTCIOW24second\n");
    const Finished second = host(state, kMonday, {"--read", "1"});
    ASSERT_NE(aside_named(first, state), aside_named(second, state)) << second.err;
    EXPECT_EQ(read_bytes(aside_named(first, state)), "RTCIOW24premier\n");
    EXPECT_EQ(read_bytes(aside_named(second, state)), "RTCIOW24second\n");
    // The first name a file is put aside under has no number after it.
    EXPECT_EQ(aside_named(first, state).find_first_not_of("0123456789", state.size() + 11),
              std::string::npos)
        << aside_named(first, state);
}

// A read keeps only the second it showed, once: reads at a moment already
// kept write nothing.
TEST(KeptTime, AProgramThatOnlyReadsKeepsOnlyWhatItShowed) {
    const std::string state = scratch_folder("lecteur") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string set = read_bytes(state);
    host(state, kMonday, {"--read", "3", "--period-ms", "0"});
    EXPECT_EQ(read_bytes(state), set);
    host(state, kMonday + 3600, {"--read", "3", "--period-ms", "0"});
    const std::string shown = read_bytes(state);
    EXPECT_NE(shown, set);
    host(state, kMonday + 3600, {"--read", "3", "--period-ms", "0"});
    EXPECT_EQ(read_bytes(state), shown);
    EXPECT_EQ(last_reading(host(state, kMonday + 7200, {"--read", "1"})),
              reading("    58     30     15     31     12     11"));
}

TEST(KeptTime, AReaderRunAcrossAnotherProgramsSetLeavesThatSet) {
    const std::string state = scratch_folder("lecteur-et-reglage") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    // The reader opens first and closes last.
    const std::vector<Finished> runs =
        run_together(kHost,
                     {{"--read", "400", "--period-ms", "0"},
                      {"--set", "2020-06-15 08:00:00", "--period-ms", "0"}},
                     {{"IOWVIRT_STATE", state}, {"IOWVIRT_NOW", std::to_string(kMonday)}});
    ASSERT_EQ(runs[0].status, 0) << runs[0].err;
    EXPECT_EQ(last_reading(host(state, kMonday, {"--read", "1"})),
              reading("     0      0      8     15      6     20"));
}

// Programs A and B open the clock together; B sets 2020 twice after a
// third of a second and ends; A sets 2030 at its last step, a second on.
// A set last: its 2030 wins, though B wrote more records.
TEST(KeptTime, TheProgramThatSetTheClockLastWins) {
    const std::string state = scratch_folder("dernier-gagne") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const auto reads_then_sets = [](int reads, const std::string& sets) {
        std::string script = "RD;init;sec;min;heu;dat;moi;ann\n";
        for (int step = 0; step < reads; ++step)
            script += "5;0;;;;;;\n";
        return script + sets;
    };
    const std::string a = reads_then_sets(1000, "0;5;0;0;12;1;1;2030\n");
    const std::string b = reads_then_sets(300, "0;5;0;0;8;15;6;2020\n0;5;0;0;8;15;6;2020\n");
    const std::vector<Finished> runs =
        run_together(kHost,
                     {{"--script", scratch_file("a.csv", a), "--period-ms", "1"},
                      {"--script", scratch_file("b.csv", b), "--period-ms", "1"}},
                     {{"IOWVIRT_STATE", state}, {"IOWVIRT_NOW", std::to_string(kMonday)}});
    ASSERT_EQ(runs[0].status, 0) << runs[0].err;
    ASSERT_EQ(runs[1].status, 0) << runs[1].err;
    EXPECT_EQ(last_reading(host(state, kMonday, {"--read", "1"})),
              reading("     0      0     12      1      1     30"));
}

TEST(KeptTime, TwoProcessesWritingAtOnceLeaveAWholeFile) {
    const std::string state = scratch_folder("ensemble") + "etat";
    const Environment environment{{"IOWVIRT_STATE", state},
                                  {"IOWVIRT_NOW", std::to_string(kMonday)}};
    for (int round = 0; round < 8; ++round) {
        const std::vector<Finished> runs =
            run_together(kHost,
                         {{"--set", "2011-12-31 13:30:58", "--read", "3", "--period-ms", "0"},
                          {"--set", "2022-06-15 08:00:00", "--read", "3", "--period-ms", "0"},
                          {"--set", "2033-01-01 00:00:00", "--read", "3", "--period-ms", "0"}},
                         environment);
        for (const Finished& run : runs)
            EXPECT_EQ(run.err.find("IOW24 virtuel"), std::string::npos) << run.err;
    }
    ASSERT_EQ(read_bytes(state).size(), iowvirt::kStateFileSize);
    const Finished read = host(state, kMonday, {"--read", "1"});
    EXPECT_EQ(read.err.find("IOW24 virtuel"), std::string::npos) << read.err;
    const std::string last = last_reading(read);
    EXPECT_TRUE(last == reading("    58     30     13     31     12     11") ||
                last == reading("     0      0      8     15      6     22") ||
                last == reading("     0      0      0      1      1     33"))
        << last;
}

TEST(KeptTime, AFolderThatCannotBeWrittenLeavesTheClockInMemoryAndSaysSoOnce) {
    const std::string plain = scratch_file("pas-un-dossier", "");
    const Finished run = host(plain + kSeparator + "etat", kMonday,
                              {"--set", "2011-12-31 13:30:58", "--read", "1", "--period-ms", "0"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(last_reading(run), "   2  lecture      58     30     13     31     12     11");
    const std::size_t said = run.err.find("IOW24 virtuel : impossible");
    EXPECT_NE(said, std::string::npos) << run.err;
    EXPECT_NE(run.err.find("l'horloge ne garde son heure que tant que ce programme tourne."),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("IOW24 virtuel", said + 1), std::string::npos) << run.err;
}

TEST(KeptTime, FreshStartsFromANewChipAndKeepsNothing) {
    const std::string state = scratch_folder("neuve") + "etat";
    host(state, kMonday, {"--set", "2011-12-31 13:30:58", "--period-ms", "0"});
    const std::string kept = read_bytes(state);
    const Finished run =
        host(state, kMonday, {"--set", "2022-06-15 08:00:00", "--read", "1", "--period-ms", "0"},
             "fresh");
    EXPECT_EQ(last_reading(run), "   2  lecture       0      0      8     15      6     22");
    EXPECT_EQ(last_reading(host(state, kMonday, {"--read", "1"}, "fresh")), reading(kNewChip));
    EXPECT_EQ(read_bytes(state), kept);
}

// A copy of the virtual IOW24 in a folder of its own, with `words` in an
// iowvirt.txt beside it.
std::string library_with_words(const std::string& name, const std::string& words) {
    const std::string folder = scratch_folder(name);
    write_bytes(folder + kDeviceFile, read_bytes(own_folder() + kDeviceFile));
    write_bytes(folder + "iowvirt.txt", words);
    return folder + kDeviceFile;
}

TEST(FaultsInAFile, IowvirtTxtBesideTheLibrarySetsItUpAndTheVariableWins) {
    const std::string library = library_with_words("txt", "# exercice 2\nno-chip\n");
    Finished run = run_program(kHost, {"--check", "--device", library, "--console-alerts"});
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.out.find("DEFAUT   Réponse de l'horloge : l'horloge ne répond pas"),
              std::string::npos)
        << run.out;
    run = run_program(kHost, {"--check", "--device", library, "--console-alerts"},
                      {{"IOWVIRT", "tick"}});
    EXPECT_NE(run.out.find("OK       Réponse de l'horloge"), std::string::npos) << run.out;

    // Words past the file's bound count for nothing, and a word the bound
    // cuts is no word; UTF-16 is decoded before it is bounded.
    std::string far(5000, ' ');
    far.replace(4090, 7, "no-chip");
    std::string utf16be = "\xFE\xFF";
    for (char c : "no-chip" + std::string(5000, ' ') + "tick")
        utf16be += std::string{'\0', c};
    for (const auto& [name, text, answers] :
         {std::tuple<const char*, std::string, bool>{"txt-coupe", far, true},
          {"txt-utf16be", utf16be, false}}) {
        run = run_program(
            kHost, {"--check", "--device", library_with_words(name, text), "--console-alerts"});
        EXPECT_NE(run.out.find(answers ? "OK       Réponse de l'horloge"
                                       : "DEFAUT   Réponse de l'horloge"),
                  std::string::npos)
            << name << ": " << run.out;
        EXPECT_EQ(run.err.find("mot inconnu"), std::string::npos) << name << ": " << run.err;
    }
    run = run_program(kHost, {"--read", "1", "--console-alerts"}, {{"IOWVIRT", "silent:"}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("mot inconnu « silent: »"), std::string::npos) << run.err;

    const std::string unknown = library_with_words("txt-inconnu", "frozen, no_chip\n");
    run = run_program(kHost, {"--read", "1", "--device", unknown, "--console-alerts"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("IOW24 virtuel : mot inconnu « no_chip » dans " +
                           unknown.substr(0, unknown.size() - kDeviceFile.size()) +
                           "iowvirt.txt, laissé de côté"),
              std::string::npos)
        << run.err;
}

}  // namespace
