// The pin table as the host reads it: counts and names, without any device.
#include <cstring>

#include "tests/support.h"

namespace {

// A buffer full of a marker shows exactly which bytes a call wrote.
struct Buffer {
    char bytes[16];
    Buffer() { std::memset(bytes, '#', sizeof bytes); }
    std::string written() const { return std::string(bytes, sizeof bytes); }
};

std::string name_then_marker(const char* name) {
    std::string expected(name, std::strlen(name) + 1);
    return expected + std::string(sizeof(Buffer::bytes) - expected.size(), '#');
}

TEST(PinTable, CountsAreFixedAndNeedNoDevice) {
    iowvirt::reset();
    iowvirt::set_open_fails(true);
    EXPECT_EQ(NumInputs(), 8);
    EXPECT_EQ(NumOutputs(), 6);
    EXPECT_EQ(iowvirt::calls(), iowvirt::Calls{});
    EXPECT_TRUE(iowvirt::log().empty());
}

// A host may ask for the layout at any time, a run going on included.
using PinsDuringARun = Bench;

TEST_F(PinsDuringARun, CountsAndNamesTouchNoDevice) {
    start_quietly();
    EXPECT_EQ(NumInputs(), 8);
    EXPECT_EQ(NumOutputs(), 6);
    Buffer buffer;
    for (std::uint32_t i = 0; i < 10; ++i) {
        GetInputName(i, buffer.bytes);
        GetOutputName(i, buffer.bytes);
    }
    EXPECT_EQ(iowvirt::calls(), iowvirt::Calls{});
    EXPECT_TRUE(iowvirt::log().empty());
    EXPECT_TRUE(alerts().empty());
    // The run goes on with its device.
    EXPECT_EQ(iowvirt::open_handle_count(), 1u);
    Inputs rd = read_inputs();
    Outputs out = marked_outputs();
    step(rd, out);
    EXPECT_EQ(out, (Outputs{80, 0, 0, 1, 1, 0}));
}

TEST(PinTable, InputNamesAreWrittenWithOneNulAndNothingMore) {
    const char* names[] = {"RD", "sec", "min", "heu", "dat", "moi", "ann", "init"};
    for (std::uint32_t i = 0; i < 8; ++i) {
        Buffer buffer;
        GetInputName(i, buffer.bytes);
        EXPECT_EQ(buffer.written(), name_then_marker(names[i])) << "input " << i;
    }
}

TEST(PinTable, OutputNamesAreWrittenWithOneNulAndNothingMore) {
    const char* names[] = {"SEC", "MIN", "HEU", "DAT", "MOI", "ANN"};
    for (std::uint32_t i = 0; i < 6; ++i) {
        Buffer buffer;
        GetOutputName(i, buffer.bytes);
        EXPECT_EQ(buffer.written(), name_then_marker(names[i])) << "output " << i;
    }
}

TEST(PinTable, IndicesPastTheTableLeaveTheBufferUntouched) {
    for (std::uint32_t i : {8u, 9u, 100u, 255u}) {
        Buffer buffer;
        GetInputName(i, buffer.bytes);
        EXPECT_EQ(buffer.written(), std::string(16, '#')) << "input " << i;
    }
    for (std::uint32_t i : {6u, 7u, 255u}) {
        Buffer buffer;
        GetOutputName(i, buffer.bytes);
        EXPECT_EQ(buffer.written(), std::string(16, '#')) << "output " << i;
    }
}

TEST(PinTable, OnlyTheLowEightBitsOfTheIndexSlotCount) {
    Buffer rd, init, sec, past;
    GetInputName(256, rd.bytes);
    GetInputName(263, init.bytes);
    GetOutputName(0xFFFFFF00u, sec.bytes);
    GetInputName(0x00000108u, past.bytes);
    EXPECT_EQ(rd.written(), name_then_marker("RD"));
    EXPECT_EQ(init.written(), name_then_marker("init"));
    EXPECT_EQ(sec.written(), name_then_marker("SEC"));
    EXPECT_EQ(past.written(), std::string(16, '#'));
}

// A host that asks with no buffer gets nothing written, whatever the
// index, and the table answers as before afterwards.
TEST(PinTable, ANullNameBufferIsIgnored) {
    for (std::uint32_t i : {0u, 5u, 7u, 8u, 255u}) {
        GetInputName(i, nullptr);
        GetOutputName(i, nullptr);
    }
    Buffer rd, ann;
    GetInputName(0, rd.bytes);
    GetOutputName(5, ann.bytes);
    EXPECT_EQ(rd.written(), name_then_marker("RD"));
    EXPECT_EQ(ann.written(), name_then_marker("ANN"));
}

}  // namespace
