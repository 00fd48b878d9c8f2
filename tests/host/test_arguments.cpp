// The stand-in host's command line and script: what it accepts, and errors
// that name what was wrong.
#include <gtest/gtest.h>

#include "host/options.h"
#include "host/script.h"

namespace {

using host::parse_arguments;

TEST(Arguments, NothingAskedMeansOneRead) {
    const auto p = parse_arguments({});
    EXPECT_EQ(p.error, "");
    EXPECT_EQ(p.options.read_steps, 1);
    EXPECT_FALSE(p.options.set_now);
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
}

TEST(Arguments, ErrorsRepeatTheBadArgument) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "unknown argument \"--bogus\""},
        {{"--read"}, "--read needs a value"},
        {{"--read", "0"}, "--read takes a number of steps from 1 to 1000000, not \"0\""},
        {{"--read", "3x"}, "--read takes a number of steps from 1 to 1000000, not \"3x\""},
        {{"--read", "-2"}, "--read takes a number of steps from 1 to 1000000, not \"-2\""},
        {{"--period-ms", "9999999"},
         "--period-ms takes milliseconds from 0 to 3600000, not \"9999999\""},
        {{"--format", "xml"}, "--format is table or csv, not \"xml\""},
        {{"--set", "2011-13-01 00:00:00"}, "--set \"2011-13-01 00:00:00\": no such date or time"},
        {{"--set", "2023-02-29 00:00:00"}, "--set \"2023-02-29 00:00:00\": no such date or time"},
        {{"--set", "1999-12-31 23:59:59"},
         "--set \"1999-12-31 23:59:59\": the clock chip keeps years 2000 to 2099 only"},
        {{"--set", "2011-1-1 0:0:0"},
         "--set \"2011-1-1 0:0:0\": not a date and time of the form \"YYYY-MM-DD HH:MM:SS\""},
        {{"--set", "2011-01-01 00:00:00x"},
         "--set \"2011-01-01 00:00:00x\": not a date and time of the form \"YYYY-MM-DD HH:MM:SS\""},
        {{"--script", "a.csv", "--read", "2"},
         "--script runs its own steps; it does not go with --set or --read"},
    };
    for (const auto& [arguments, error] : cases) {
        EXPECT_EQ(parse_arguments(arguments).error, error) << arguments[0];
    }
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
        {"RD,Sec\n1,2\n",
         "line 1, column 2: \"Sec\" is not an input pin of the block (RD, sec, min, heu, dat, moi, "
         "ann, "
         "init)"},
        {"RD,sec,RD\n", "line 1, column 3: pin \"RD\" named twice"},
        {"RD,sec\n1,2\n1\n", "line 3: 1 values for 2 columns"},
        {"RD,sec\n1,2,\n", "line 2: 3 values for 2 columns"},
        {"RD,sec\n1,abc\n", "line 2, column 2 (sec): not a number: \"abc\""},
        {"RD,sec\n1,\"2\"\n", "line 2, column 2 (sec): not a number: \"\"2\"\""},
        {"RD,sec\n,2\n", "line 2, column 1 (RD): not a number: \"\""},
        {"RD,sec\n1,1e999\n", "line 2, column 2 (sec): not a number: \"1e999\""},
        {"RD,sec\n", "no step: a header line and at least one row are needed"},
        {"", "no step: a header line and at least one row are needed"},
    };
    for (const auto& [text, error] : cases) {
        EXPECT_EQ(host::parse_script(text, kPins).error, error) << text;
    }
}

}  // namespace
