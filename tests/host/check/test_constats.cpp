// The wiring check's findings from the reports of one run, as the block
// exchanges them with the IOW24: each fault named where it is, what comes
// after it left unknown, and the time compared across two reads.
#include <gtest/gtest.h>

#include "host/check/constats.h"

namespace {

using host::CheckRun;
using host::Exchange;
using host::Finding;
using host::Format;
using host::Journal;
using host::Verdict;
using Call = Exchange::Call;
using Bytes = std::array<std::uint8_t, 8>;
using Registers = std::array<std::uint8_t, 3>;

constexpr std::uint8_t kGood = 0x02, kFailed = 0x80;

Journal start(bool found = true, std::uint32_t enable_written = 8) {
    return {{Call::open, {}, found ? 1u : 0u}, {Call::write, {0x01, 0x01}, enable_written}};
}

// One step with "RD" high as the block makes it, the chip answering with
// these registers.
Journal reading(Registers time, Registers date, std::uint8_t pointer_status = kGood,
                std::uint32_t data_read = 8) {
    const auto data = [&](Registers r) { return Bytes{0x03, 0x03, r[0], r[1], r[2]}; };
    return {{Call::write, {0x02, 0xC2, 0xD0, 0x00}, 8}, {Call::read, {0x02, pointer_status}, 8},
            {Call::write, {0x03, 0x03, 0xD1}, 8},       {Call::read, data(time), data_read},
            {Call::write, {0x02, 0xC2, 0xD0, 0x04}, 8}, {Call::read, {0x02, pointer_status}, 8},
            {Call::write, {0x03, 0x03, 0xD1}, 8},       {Call::read, data(date), data_read}};
}

const Registers kTime{0x58, 0x59, 0x23}, kLater{0x59, 0x59, 0x23}, kDate{0x31, 0x12, 0x11};

CheckRun healthy() { return {start(), reading(kTime, kDate), reading(kLater, kDate), 1500}; }

// "OK OK DEFAUT INCONNU ...": the verdicts in order.
std::string verdicts(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& f : findings) {
        if (!text.empty()) text += ' ';
        text += f.verdict == Verdict::ok      ? "OK"
                : f.verdict == Verdict::fault ? "DEFAUT"
                                              : "INCONNU";
    }
    return text;
}

TEST(Findings, AHealthyClockIsGoodThroughout) {
    const CheckRun run = healthy();
    EXPECT_TRUE(host::worth_a_second_read(run));
    const std::vector<Finding> f = host::diagnose(run);
    EXPECT_EQ(verdicts(f), "OK OK OK OK OK OK OK");
    EXPECT_EQ(f[5].sentence, "23:59:58 le 31/12/2011.");
    EXPECT_EQ(f[6].sentence, "+1 s en 1,5 s.");
    EXPECT_TRUE(host::all_good(f));
    EXPECT_EQ(host::summary_line(Format::table, f),
              "Bilan : tout est bon : le bloc peut lire et écrire l'horloge.");
}

TEST(Findings, TheAdvanceIsCountedAcrossMidnight) {
    CheckRun run{start(), reading({0x59, 0x59, 0x23}, kDate), reading({0x00, 0x00, 0x00}, kDate),
                 400};
    EXPECT_EQ(host::diagnose(run)[6].sentence, "+1 s en 0,4 s.");
}

// Reads more than a second apart may see a second boundary crossed twice;
// reads closer than that never can.
TEST(Findings, TheAdvanceIsJudgedAgainstTheTimeBetweenTheLastTwoReads) {
    CheckRun run = healthy();
    run.second_read = reading({0x00, 0x00, 0x00}, kDate);
    run.wait_ms = run.gap_ms = 1500;
    EXPECT_EQ(verdicts(host::diagnose(run)), "OK OK OK OK OK OK OK");
    EXPECT_EQ(host::diagnose(run)[6].sentence, "+2 s en 1,5 s.");
    run.gap_ms = 400;
    EXPECT_EQ(host::diagnose(run)[6].verdict, Verdict::fault);
    run.second_read = reading({0x01, 0x00, 0x00}, kDate);
    run.gap_ms = 1500;
    EXPECT_EQ(host::diagnose(run)[6].verdict, Verdict::fault);
}

// A wait may end late: reads 1,95 s apart may see three boundaries. The
// gap is the one between the last two reads, however long the check read.
TEST(Findings, TheAdvanceAllowsForALateWaitAndCountsFromTheReadBefore) {
    CheckRun run = healthy();
    run.second_read = reading({0x01, 0x00, 0x00}, kDate);
    host::note_first_read(run, 0);
    host::note_later_read(run, 1950);
    EXPECT_EQ(host::diagnose(run)[6].verdict, Verdict::ok) << host::diagnose(run)[6].sentence;
    // Reads as the check's loop makes them: each gap from the read before.
    host::note_first_read(run, 0);
    for (const std::int64_t at : {400, 800, 1200})
        host::note_later_read(run, at);
    host::note_later_read(run, 1300);
    EXPECT_EQ(run.wait_ms, 1300);
    EXPECT_EQ(run.gap_ms, 100);
    EXPECT_EQ(host::diagnose(run)[6].verdict, Verdict::fault);
    EXPECT_EQ(host::diagnose(run)[6].sentence,
              "l'horloge a avancé de 3 s en 1,3 s : quartz ou module défectueux, ou lectures "
              "perturbées.");
}

// In 12-hour mode, 12 is the first hour of its half of the day.
TEST(Findings, TwelveOClockInTwelveHourModeIsTheFirstHour) {
    const std::pair<std::uint8_t, const char*> hours[] = {
        {0x52, "12:59:59 AM"}, {0x72, "12:59:59 PM"}, {0x41, "1:59:59 AM"}, {0x71, "11:59:59 PM"}};
    for (const auto& [hour, shown] : hours) {
        const CheckRun run{start(), reading({0x59, 0x59, hour}, kDate), {}, 1000};
        const std::string sentence = host::diagnose(run)[5].sentence;
        EXPECT_NE(sentence.find(std::string("(") + shown + " le 31/12/2011)"), std::string::npos)
            << sentence;
    }
}

TEST(Findings, NoChipAndShortRepliesAtOnceAreNoAnswer) {
    // Seven bytes of a reply whose status bit says the chip did not answer.
    CheckRun run{start(), reading(kTime, kDate, kFailed, 7), {}, 1500};
    const std::vector<Finding> f = host::diagnose(run);
    EXPECT_EQ(verdicts(f), "OK OK OK DEFAUT INCONNU INCONNU INCONNU");
    EXPECT_EQ(f[3].sentence.rfind("l'horloge ne répond pas à l'adresse D0 (0x68).", 0), 0u)
        << f[3].sentence;
    EXPECT_NE(f[3].sentence.find("réponses incomplètes (7 octets sur 8)"), std::string::npos);
}

// Each fault's sentence leads to the next step: no board found points to
// the try without hardware; values no time can have may come from a script.
TEST(Findings, SentencesLeadToTheNextStep) {
    CheckRun run{start(false, 0), reading(kTime, kDate, kFailed, 0), {}, 1500};
    EXPECT_NE(host::diagnose(run)[1].sentence.find(
                  "Pour essayer sans matériel : « Verifier le cablage virtuel.cmd »."),
              std::string::npos);
    run.bench.virtual_device = true;
    EXPECT_EQ(host::diagnose(run)[1].sentence.find("sans matériel"), std::string::npos);
    const CheckRun impossible{start(), reading({0x60, 0x85, 0x45}, {0x45, 0x25, 0x10}), {}, 1500};
    EXPECT_NE(host::diagnose(impossible)[5].sentence.find(
                  "mise à l'heure par un script avec des valeurs impossibles (un pas \"init\""),
              std::string::npos)
        << host::diagnose(impossible)[5].sentence;
}

TEST(Findings, ThePackagesOwnVirtualIow24IsKeptAndAnotherCopyDeleted) {
    CheckRun run = healthy();
    run.bench.virtual_device = run.bench.hardware = true;
    run.bench.library = "C:\\TP\\virtuel\\iowkit.dll";
    EXPECT_NE(host::diagnose(run)[0].sentence.find("Supprimez cette copie"), std::string::npos);
    run.bench.packaged = true;
    EXPECT_EQ(host::diagnose(run)[0].sentence.find("Supprimez"), std::string::npos);
}

// The block reads the hours register as 24-hour BCD: 9 PM in 12-hour mode
// (0x69) would come out as HEU = 69.
TEST(Findings, TwelveHourModeIsAFaultForTheBlock) {
    const CheckRun run{start(), reading({0x30, 0x15, 0x69}, kDate),
                       reading({0x31, 0x15, 0x69}, kDate), 1500};
    const std::vector<Finding> f = host::diagnose(run);
    EXPECT_EQ(verdicts(f), "OK OK OK OK OK DEFAUT INCONNU");
    EXPECT_EQ(f[5].sentence,
              "l'horloge est en mode 12 heures (9:15:30 PM le 31/12/2011) : le bloc lit les "
              "heures en mode 24 heures, et HEU vaudrait 69. Un pas avec \"init\" remet "
              "l'horloge en mode 24 heures (rtc_host --set now --check).");
}

TEST(Findings, EachFaultIsNamedWhereItIsAndWhatFollowsIsUnknown) {
    struct Case {
        const char* what;
        CheckRun run;
        const char* verdicts;
        const char* words;  // in the faulty finding's sentence
    };
    const Case cases[] = {
        {"no IOW24",
         {start(false, 0), reading(kTime, kDate, kFailed, 0), {}, 1500},
         "OK DEFAUT INCONNU INCONNU INCONNU INCONNU INCONNU",
         "gestionnaire de périphériques"},
        {"I2C mode refused",
         {start(true, 7), reading(kTime, kDate), {}, 1500},
         "OK OK DEFAUT INCONNU INCONNU INCONNU INCONNU",
         "rebranchez"},
        {"no answer at D0",
         {start(), reading(kTime, kDate, kFailed), {}, 1500},
         "OK OK OK DEFAUT INCONNU INCONNU INCONNU",
         "ne répond pas à l'adresse D0"},
        {"data lost",
         {start(), reading(kTime, kDate, kGood, 0), {}, 1500},
         "OK OK OK DEFAUT INCONNU INCONNU INCONNU",
         "la lecture de ses registres a échoué"},
        {"halted",
         {start(), reading({0x80, 0x00, 0x00}, {0x01, 0x01, 0x00}), {}, 1500},
         "OK OK OK OK DEFAUT INCONNU INCONNU",
         "SEC = 80 ou plus"},
        {"invalid",
         {start(), reading({0x5A, 0x7F, 0x3F}, {0x3F, 0x1F, 0xAA}), {}, 1500},
         "OK OK OK OK OK DEFAUT INCONNU",
         "(lu : 5A 7F 3F / 3F 1F AA)"},
        {"frozen",
         {start(), reading(kTime, kDate), reading(kTime, kDate), 1500},
         "OK OK OK OK OK OK DEFAUT",
         "n'avance pas en 1,5 s alors que son bit d'arrêt est à 0"},
        {"two seconds at the first change",
         {start(), reading(kTime, kDate), reading({0x00, 0x00, 0x00}, kDate), 200},
         "OK OK OK OK OK OK DEFAUT",
         "a avancé de 2 s en 0,2 s"},
        {"a later read lost",
         {start(), reading(kTime, kDate), reading(kLater, kDate, kGood, 0), 1500},
         "OK OK OK OK OK OK DEFAUT",
         "une lecture suivante a échoué"},
    };
    for (const Case& c : cases) {
        const std::vector<Finding> f = host::diagnose(c.run);
        EXPECT_EQ(verdicts(f), c.verdicts) << c.what;
        EXPECT_FALSE(host::all_good(f)) << c.what;
        for (const Finding& finding : f) {
            if (finding.verdict != Verdict::fault) continue;
            EXPECT_NE(finding.sentence.find(c.words), std::string::npos)
                << c.what << ": " << finding.sentence;
        }
    }
}

TEST(Findings, OnlyASoundFirstReadIsWorthWaitingForASecond) {
    EXPECT_FALSE(host::worth_a_second_read({start(false, 0), reading(kTime, kDate), {}, 0}));
    EXPECT_FALSE(host::worth_a_second_read({start(), reading(kTime, kDate, kFailed), {}, 0}));
    EXPECT_FALSE(host::worth_a_second_read({start(), reading({0x80, 0, 0}, kDate), {}, 0}));
    EXPECT_FALSE(host::worth_a_second_read({start(), reading(kTime, {0x31, 0x04, 0x11}), {}, 0}));
    EXPECT_TRUE(host::worth_a_second_read({start(), reading(kTime, kDate), {}, 0}));
}

TEST(Findings, AValidTimeFollowsTheCalendarAndTheHourMode) {
    struct Case {
        Registers time, date;
        bool valid;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x12}, {0x29, 0x02, 0x24}, true},   // leap day
        {{0x00, 0x00, 0x12}, {0x29, 0x02, 0x23}, false},  // not a leap year
        {{0x00, 0x00, 0x12}, {0x31, 0x04, 0x11}, false},  // April has 30 days
        {{0x00, 0x00, 0x12}, {0x00, 0x01, 0x11}, false},  // day 0
        {{0x00, 0x00, 0x12}, {0x01, 0x13, 0x11}, false},  // month 13
        {{0x00, 0x00, 0x12}, {0x01, 0x01, 0x9A}, false},  // not a BCD year
        {{0x60, 0x00, 0x12}, kDate, false},               // 60 seconds
        {{0x00, 0x5A, 0x12}, kDate, false},               // not a BCD minute
        {{0x00, 0x00, 0x24}, kDate, false},               // 24 h
        {{0x00, 0x00, 0x52}, kDate, true},                // 12 AM in 12-hour mode
        {{0x00, 0x00, 0x40}, kDate, false},               // hour 0 in 12-hour mode
        {{0x00, 0x00, 0x73}, kDate, false},               // 13 PM
    };
    for (const Case& c : cases) {
        const CheckRun run{start(), reading(c.time, c.date), {}, 0};
        EXPECT_EQ(host::worth_a_second_read(run), c.valid)
            << std::hex << int(c.time[2]) << ":" << int(c.time[1]) << ":" << int(c.time[0]) << " "
            << int(c.date[0]) << "/" << int(c.date[1]) << "/" << int(c.date[2]);
    }
}

TEST(Findings, LinesForPeopleAndRowsForScripts) {
    const std::vector<Finding> f =
        host::diagnose({start(), reading({0x80, 0x00, 0x00}, {0x01, 0x01, 0x00}), {}, 1500});
    EXPECT_EQ(host::finding_line(Format::table, f[1]), "OK       IOW24 sur l'USB : trouvé.");
    EXPECT_EQ(host::check_header(Format::table), "");
    EXPECT_EQ(host::check_header(Format::csv), "constat,verdict,titre,message");
    EXPECT_EQ(host::finding_line(Format::csv, f[5]),
              "registres,INCONNU,\"Heure et date valides\",\"non vérifié tant que le défaut "
              "ci-dessus n'est pas corrigé.\"");
    // A quote in the text is doubled.
    EXPECT_NE(host::finding_line(Format::csv, f[4]).find("avec \"\"init\"\" (rtc_host"),
              std::string::npos);
    EXPECT_EQ(host::summary_line(Format::csv, f),
              "bilan,DEFAUT,\"Bilan\",\"un défaut ; corrigez-le, puis relancez la vérification.\"");
}

TEST(Findings, TheFirstNamesTheDeviceLibraryAndTheSummarySaysWhenNoHardwareWasChecked) {
    CheckRun run = healthy();
    run.bench.library = "C:\\paquet\\virtuel\\iowkit.dll";
    run.bench.virtual_device = true;
    std::vector<Finding> f = host::diagnose(run);
    EXPECT_EQ(host::finding_line(Format::table, f[0]),
              "OK       Biblioth\u00e8que de l'IOW24 : C:\\paquet\\virtuel\\iowkit.dll : l'IOW24 "
              "virtuel de rtc_iow24, pas du mat\u00e9riel.");
    EXPECT_EQ(host::summary_line(Format::table, f, true),
              "Bilan : tout est bon : le bloc peut lire et \u00e9crire l'horloge. IOW24 virtuel : "
              "aucun mat\u00e9riel n'a \u00e9t\u00e9 v\u00e9rifi\u00e9.");
    run.bench.library = "C:\\Windows\\SysWOW64\\iowkit.dll";
    run.bench.virtual_device = false;
    f = host::diagnose(run);
    EXPECT_EQ(f[0].sentence, "C:\\Windows\\SysWOW64\\iowkit.dll : pas l'IOW24 virtuel.");
    EXPECT_EQ(host::summary_line(Format::table, f, false).find("virtuel"), std::string::npos);
}

TEST(Findings, WhereTheIow24StoppedAnsweringIsTheFaultAndWhatFollowsIsUnknown) {
    struct Case {
        const char* finding;
        CheckRun run;
        const char* verdicts;
    };
    const Case cases[] = {
        {"iow24", {{}, {}, {}, 0}, "OK DEFAUT INCONNU INCONNU INCONNU INCONNU INCONNU"},
        {"i2c", {start(), {}, {}, 0}, "OK OK DEFAUT INCONNU INCONNU INCONNU INCONNU"},
        {"horloge", {start(), {}, {}, 0}, "OK OK OK DEFAUT INCONNU INCONNU INCONNU"},
        {"avance", {start(), reading(kTime, kDate), {}, 300}, "OK OK OK OK OK OK DEFAUT"},
    };
    for (Case c : cases) {
        c.run.stall = host::CheckStall{c.finding, "l'IOW24 ne r\u00e9pond plus : IowKitRead ..."};
        const std::vector<Finding> f = host::diagnose(c.run);
        EXPECT_EQ(verdicts(f), c.verdicts) << c.finding;
        for (const Finding& finding : f) {
            if (finding.verdict == Verdict::fault) {
                EXPECT_EQ(finding.sentence, "l'IOW24 ne r\u00e9pond plus : IowKitRead ...");
            }
        }
    }
}

}  // namespace
