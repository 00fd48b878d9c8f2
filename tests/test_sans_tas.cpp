// No entry point of the block allocates on the heap: a host calls them at
// every simulation step. The block is linked here with a device library of
// the test's own that allocates nothing either, and alerts go to the
// platform's presentation.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "block/rtc_iow24.h"
#include "iow/iowkit.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

void* allocate(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

// A device that answers every request at once: good replies carrying
// 0x59 0x59 0x23, or failed ones when `failing` is set.
unsigned char reply[8];
bool replied = false;
bool failing = false;

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

extern "C" {
IOWKIT_HANDLE APPEL_STD IowKitOpenDevice(void) { return reinterpret_cast<IOWKIT_HANDLE>(&reply); }
void APPEL_STD IowKitCloseDevice(IOWKIT_HANDLE) {}
std::uint32_t APPEL_STD IowKitWrite(IOWKIT_HANDLE, std::uint32_t, char* buffer,
                                    std::uint32_t length) {
    std::memset(reply, 0, sizeof reply);
    reply[0] = static_cast<unsigned char>(buffer[0]);
    reply[1] = failing ? 0x80 : 0x03;
    reply[2] = 0x59, reply[3] = 0x59, reply[4] = 0x23;
    replied = buffer[0] != 0x01;  // no reply to a mode switch
    return length;
}
std::uint32_t APPEL_STD IowKitRead(IOWKIT_HANDLE, std::uint32_t, char* buffer,
                                   std::uint32_t length) {
    if (!replied) return 0;
    replied = false;
    std::memcpy(buffer, reply, sizeof reply);
    return length;
}
}

namespace {

TEST(NoHeap, NoEntryPointAllocates) {
    double read[8] = {5, 0, 0, 0, 0, 0, 0, 0};
    double set[8] = {0, 45, 30, 13, 8, 3, 2011, 5};
    double idle[8] = {};
    double out[6] = {};
    char name[8];
    counting = true;
    NumInputs();
    NumOutputs();
    GetInputName(7, name);
    GetOutputName(5, name);
    CConfigure(nullptr);
    CSimStart(nullptr, nullptr, nullptr);
    CCalculate(read, out, nullptr);
    CCalculate(set, out, nullptr);
    CCalculate(idle, out, nullptr);
    CCalculate(nullptr, nullptr, nullptr);
    failing = true;  // every alert of a step, through the platform's presentation
    CCalculate(read, out, nullptr);
    CCalculate(set, out, nullptr);
    failing = false;
    CSimStop(nullptr, nullptr, nullptr);
    counting = false;
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(out[0], 59.0);  // the stub device was really used
    EXPECT_EQ(out[2], 23.0);
}

TEST(NoHeap, TheCounterSeesAnAllocation) {
    counting = true;
    auto* p = new int(3);
    counting = false;
    delete p;
    EXPECT_EQ(allocations, 1);
    allocations = 0;
}

}  // namespace
