// The DLL as a Windows host uses it: loaded by path, its entry points looked
// up by name, called through standard-call pointers, bound by ordinal to the
// device library, and its message boxes caught through its import table.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "block/rtc_iow24.h"
#include "host/load/imports.h"
#include "iow/iowkit.h"
#include "tests/windows/stack_drift.h"
#include "virtual/usb/iowvirt.h"

namespace {

struct Box {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    bool operator==(const Box&) const = default;
};
std::vector<Box> boxes;

int WINAPI record_box(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    boxes.push_back({owner, text, caption, type});
    return IDOK;
}

const Box kFound{nullptr,
                 "IOW24 d\xE9tect\xE9 : initialisation de la liaison I\xB2"
                 "C",
                 "Recherche IOW24", MB_OK};
const Box kNotFound{nullptr, "Echec lors de l'ouverture de IOW24", "Recherche IOW24", MB_OK};
const Box kI2cFailed{nullptr, "Echec pour initialiser l'I2C", "Ecriture", MB_OK};
const Box kPointerFailed{nullptr, "Erreur de transmission", "Leture", MB_OK};
const Box kReadFailed{nullptr, "Erreur de lecture", "LECTURE", MB_OK};

struct EntryPoint {
    const char* plain;
    const char* decorated;
    int argument_bytes;
};
const EntryPoint kEntryPoints[] = {
    {"NumInputs", "NumInputs@0", 0},       {"NumOutputs", "NumOutputs@0", 0},
    {"GetInputName", "GetInputName@8", 8}, {"GetOutputName", "GetOutputName@8", 8},
    {"CSimStart", "CSimStart@12", 12},     {"CSimStop", "CSimStop@12", 12},
    {"CConfigure", "CConfigure@4", 4},     {"CCalculate", "CCalculate@12", 12},
};

// The test sits beside the device library built for tests (bin\\essais),
// which the block, loaded from the build's bin, binds to once loaded.
constexpr const char* kBlockDll = "..\\rtc_iow24.dll";

std::string bin_path(const char* file) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + file;
}

class Host : public ::testing::Test {
  protected:
    void SetUp() override {
        iowvirt::reset();
        iowvirt::set_read_timeout(std::chrono::milliseconds(0));
        block = LoadLibraryA(bin_path(kBlockDll).c_str());
        ASSERT_NE(block, nullptr);
        ASSERT_NE(imports::rebind(block, "user32.dll", "MessageBoxA",
                                  reinterpret_cast<void*>(record_box)),
                  nullptr);
        boxes.clear();
    }
    void TearDown() override { FreeLibrary(block); }

    template <typename Fn>
    Fn find(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(block, name)));
    }
    HMODULE block = nullptr;
};

TEST_F(Host, EveryEntryPointIsFoundUnderBothNamesAtOneAddress) {
    for (const EntryPoint& e : kEntryPoints) {
        const FARPROC plain = GetProcAddress(block, e.plain);
        ASSERT_NE(plain, nullptr) << e.plain;
        EXPECT_EQ(plain, GetProcAddress(block, e.decorated)) << e.decorated;
    }
}

#if defined(__i386__)
TEST_F(Host, EveryEntryPointRemovesItsOwnArguments) {
    double in[8] = {};
    double out[6] = {};
    char name[8] = {};
    const std::uint32_t args[3] = {0, reinterpret_cast<std::uint32_t>(name), 0};
    const std::uint32_t step[3] = {reinterpret_cast<std::uint32_t>(in),
                                   reinterpret_cast<std::uint32_t>(out), 0};
    for (const EntryPoint& e : kEntryPoints) {
        const std::uint32_t* arguments = std::string(e.plain) == "CCalculate" ? step : args;
        EXPECT_EQ(stack_drift(reinterpret_cast<const void*>(GetProcAddress(block, e.plain)),
                              e.argument_bytes / 4, arguments),
                  0)
            << e.plain;
    }
    boxes.clear();
}
#endif

TEST_F(Host, TheDeviceLibraryIsBoundByOrdinal) {
    HMODULE device = GetModuleHandleA("iowkit.dll");
    ASSERT_NE(device, nullptr);
    for (std::uint16_t ordinal = 1; ordinal <= 4; ++ordinal) {
        void** slot = imports::find_slot(block, "iowkit.dll", nullptr, ordinal);
        ASSERT_NE(slot, nullptr) << ordinal;
        EXPECT_EQ(*slot,
                  reinterpret_cast<void*>(GetProcAddress(device, MAKEINTRESOURCEA(ordinal))));
    }
    EXPECT_EQ(imports::find_slot(block, "iowkit.dll", "IowKitWrite"), nullptr);
}

TEST_F(Host, PinNamesTakeTheLowByteOfAFullSlot) {
    auto input_name = find<PinNameFn>("GetInputName@8");
    auto output_name = find<PinNameFn>("GetOutputName@8");
    char name[8] = "#######";
    input_name(256, name);
    EXPECT_STREQ(name, "RD");
    input_name(263, name);
    EXPECT_STREQ(name, "init");
    output_name(0x105, name);
    EXPECT_STREQ(name, "ANN");
    EXPECT_EQ(find<NumPinsFn>("NumInputs")(), 8);
    EXPECT_EQ(find<NumPinsFn>("NumOutputs@0")(), 6);
}

TEST_F(Host, AWholeRunSetsAndReadsTheClockWithOneBox) {
    auto start = find<SimFn>("CSimStart");
    auto calculate = find<CalculateFn>("CCalculate@12");
    auto stop = find<SimFn>("CSimStop@12");
    std::int64_t now = 0;
    iowvirt::set_time_source([&now] { return now; });
    start(nullptr, nullptr, nullptr);
    double set[8] = {0, 58, 59, 23, 31, 12, 2011, 5};
    double rd[8] = {5, 0, 0, 0, 0, 0, 0, 0};
    double out[6] = {};
    calculate(set, out, nullptr);
    now += 2000;
    calculate(rd, out, nullptr);
    stop(nullptr, nullptr, nullptr);
    EXPECT_EQ(boxes, (std::vector<Box>{kFound}));
    EXPECT_EQ((std::vector<double>(out, out + 6)), (std::vector<double>{0, 0, 0, 1, 1, 12}));
    EXPECT_EQ(iowvirt::open_handle_count(), 0u);
}

TEST_F(Host, FailuresAreToldInModalBoxesAndTheRunGoesOn) {
    iowvirt::set_open_fails(true);
    auto start = find<SimFn>("CSimStart@12");
    auto calculate = find<CalculateFn>("CCalculate");
    auto stop = find<SimFn>("CSimStop");
    auto configure = find<ConfigureFn>("CConfigure@4");
    double rd[8] = {5, 0, 0, 0, 0, 0, 0, 0};
    double out[6] = {1, 2, 3, 4, 5, 6};
    configure(nullptr);
    start(nullptr, nullptr, nullptr);
    calculate(rd, out, nullptr);
    stop(nullptr, nullptr, nullptr);
    EXPECT_EQ(boxes, (std::vector<Box>{kNotFound, kI2cFailed, kPointerFailed, kReadFailed,
                                       kPointerFailed, kReadFailed, kI2cFailed}));
    EXPECT_EQ((std::vector<double>(out, out + 6)), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

TEST(HostLoading, TheLibraryLoadsAndUnloadsCleanlyAgainAndAgain) {
    for (int i = 0; i < 5; ++i) {
        HMODULE block = LoadLibraryA(bin_path(kBlockDll).c_str());
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(FreeLibrary(block));
    }
}

}  // namespace

namespace {

// The virtual IOW24's own boxes, caught through its import table.
std::vector<std::wstring> device_boxes;

int WINAPI record_device_box(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
    device_boxes.push_back(std::wstring(caption) + L"|" + text);
    return IDOK;
}

// A teacher's typo in a simulator, which has no console: a box captioned
// "IOW24 virtuel", once in a launch.
TEST(VirtualIow24Boxes, AnUnknownWordIsShownOnceInALaunch) {
    const HMODULE device = GetModuleHandleW(L"iowkit.dll");
    ASSERT_NE(device, nullptr);
    void* const original = imports::rebind(device, "user32.dll", "MessageBoxW",
                                           reinterpret_cast<void*>(record_device_box));
    ASSERT_NE(original, nullptr);
    SetEnvironmentVariableW(L"IOWVIRT", L"no_chip");
    SetEnvironmentVariableW(L"IOWVIRT_STATE", L"C:\\rtc-boites\\etat");
    iowvirt::as_shipped();
    for (int run = 0; run < 2; ++run) {
        IOWKIT_HANDLE handle = IowKitOpenDevice();
        EXPECT_NE(handle, nullptr);
        IowKitCloseDevice(handle);
        iowvirt::as_shipped();
    }
    imports::rebind(device, "user32.dll", "MessageBoxW", original);
    iowvirt::reset();
    SetEnvironmentVariableW(L"IOWVIRT", nullptr);
    SetEnvironmentVariableW(L"IOWVIRT_STATE", nullptr);
    ASSERT_EQ(device_boxes.size(), 1u);
    EXPECT_EQ(device_boxes[0].rfind(
                  L"IOW24 virtuel|IOW24 virtuel : mot inconnu \u00ab no_chip \u00bb", 0),
              0u);
}

}  // namespace
