// The virtual IOW24 as it ships, loaded from a folder of its own the way a
// simulator loads it and keeps it loaded from one run to the next: its
// iowvirt.txt and its state file, read again at every open.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "iow/iowkit.h"
#include "virtual/pile/etat.h"

namespace {

using Open = IOWKIT_HANDLE (*)();
using Close = void (*)(IOWKIT_HANDLE);
using Write = std::uint32_t (*)(IOWKIT_HANDLE, std::uint32_t, char*, std::uint32_t);

class ShippedIow24 : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = "/tmp/rtc-livre-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        mkdir(folder.c_str(), 0755);
        std::ifstream from(DEVICE_LIBRARY, std::ios::binary);
        std::ofstream(folder + "/libiowkit.so", std::ios::binary) << from.rdbuf();
        unsetenv("IOWVIRT");
        setenv("IOWVIRT_STATE", (folder + "/etat").c_str(), 1);
        setenv("IOWVIRT_EXERCICE", (folder + "/exercice-du-pc").c_str(), 1);
        library = dlopen((folder + "/libiowkit.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        open = reinterpret_cast<Open>(dlsym(library, "IowKitOpenDevice"));
        close = reinterpret_cast<Close>(dlsym(library, "IowKitCloseDevice"));
        write = reinterpret_cast<Write>(dlsym(library, "IowKitWrite"));
        ASSERT_TRUE(open && close && write);
    }
    void TearDown() override {
        if (library != nullptr) dlclose(library);
        unsetenv("IOWVIRT_STATE");
        std::filesystem::remove_all(folder);
    }
    void words(const std::string& text) { std::ofstream(folder + "/iowvirt.txt") << text; }
    // A run as a simulator makes one: open, I2C on, the seconds written, close.
    void set_run() {
        IOWKIT_HANDLE handle = open();
        ASSERT_NE(handle, nullptr);
        std::array<char, 8> enable{0x01, 0x01}, seconds{0x02, '\xC3', '\xD0', 0x00, 0x45};
        write(handle, 1, enable.data(), 8);
        EXPECT_EQ(write(handle, 1, seconds.data(), 8), 8u);
        close(handle);
    }

    std::string folder;
    void* library = nullptr;
    Open open = nullptr;
    Close close = nullptr;
    Write write = nullptr;
};

TEST_F(ShippedIow24, IowvirtTxtIsReadAgainAtEveryOpen) {
    words("absent\n");
    EXPECT_EQ(open(), nullptr);
    words("# fini\n");
    IOWKIT_HANDLE handle = open();
    EXPECT_NE(handle, nullptr);
    close(handle);
    words("absent\n");
    EXPECT_EQ(open(), nullptr);
}

// Two programs with the clock open at once, as two copies of the library
// are two devices: the one that set the clock last wins, however many
// saves the other made meanwhile.
TEST_F(ShippedIow24, TheLatestSettingWinsWhateverTheOtherProgramSaved) {
    const std::string other = folder + "/autre";
    mkdir(other.c_str(), 0755);
    std::filesystem::copy_file(DEVICE_LIBRARY, other + "/libiowkit.so");
    void* second = dlopen((other + "/libiowkit.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(second, nullptr) << dlerror();
    const auto open_b = reinterpret_cast<Open>(dlsym(second, "IowKitOpenDevice"));
    const auto close_b = reinterpret_cast<Close>(dlsym(second, "IowKitCloseDevice"));
    const auto write_b = reinterpret_cast<Write>(dlsym(second, "IowKitWrite"));
    // The year register alone: 0x20 for 2020, 0x30 for 2030.
    const auto set_year = [](Write to, IOWKIT_HANDLE handle, char year) {
        std::array<char, 8> enable{0x01, 0x01}, report{0x02, '\xC3', '\xD0', 0x06, year};
        to(handle, 1, enable.data(), 8);
        return to(handle, 1, report.data(), 8);
    };
    IOWKIT_HANDLE a = open();
    EXPECT_EQ(set_year(write, a, 0x11), 8u);  // the file made
    IOWKIT_HANDLE b = open_b();
    EXPECT_EQ(set_year(write_b, b, 0x20), 8u);
    EXPECT_EQ(set_year(write_b, b, 0x20), 8u);
    close_b(b);
    EXPECT_EQ(set_year(write, a, 0x30), 8u);
    close(a);
    dlclose(second);
    std::ifstream file(folder + "/etat", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    std::string why;
    const auto kept = iowvirt::decode_state(bytes, why);
    ASSERT_TRUE(kept) << why;
    EXPECT_EQ(kept->chip.registers[6], 0x30);
}

// One program with the device library of its own folder open.
using Read = std::uint32_t (*)(IOWKIT_HANDLE, std::uint32_t, char*, std::uint32_t);
struct Program {
    void* library;
    IOWKIT_HANDLE handle = nullptr;
    template <typename F>
    F function(const char* name) {
        return reinterpret_cast<F>(dlsym(library, name));
    }
    // Opened, and in I2C mode, as a run starts.
    bool start() {
        handle = function<Open>("IowKitOpenDevice")();
        std::array<char, 8> enable{0x01, 0x01};
        function<Write>("IowKitWrite")(handle, 1, enable.data(), 8);
        return handle != nullptr;
    }
    void exchange(std::array<char, 8> report, std::array<char, 8>& reply) {
        function<Write>("IowKitWrite")(handle, 1, report.data(), 8);
        function<Read>("IowKitRead")(handle, 1, reply.data(), 8);
    }
    void set_year(char year) {
        std::array<char, 8> reply{};
        exchange({0x02, '\xC3', '\xD0', 0x06, year}, reply);
    }
    // As the block sets the clock: 12:30:00 on 24/12/2027, in one
    // transaction of two reports.
    void set_time() {
        std::array<char, 8> reply{};
        exchange({0x02, '\x86', '\xD0', 0x00, 0x00, 0x30, 0x12, 0x00}, reply);
        exchange({0x02, 0x43, 0x24, 0x12, 0x27}, reply);
    }
    int seconds() {
        std::array<char, 8> reply{};
        exchange({0x02, '\xC2', '\xD0', 0x00}, reply);
        exchange({0x03, 0x01, '\xD1'}, reply);
        return static_cast<std::uint8_t>(reply[2]);
    }
    // As the block reads: the pointer at the seconds, then the year.
    int year() {
        std::array<char, 8> reply{};
        exchange({0x02, '\xC2', '\xD0', 0x00}, reply);
        exchange({0x02, '\xC2', '\xD0', 0x06}, reply);
        exchange({0x03, 0x01, '\xD1'}, reply);
        return static_cast<std::uint8_t>(reply[2]);
    }
};

// A new account: three programs open the clock before any file is there.
// Each setting reaches the other at its next read, and the file's records
// are numbered one after the other, whichever made the file.
TEST_F(ShippedIow24, ProgramsOpenedBeforeTheFileWasMadeSeeEachOthersSettings) {
    std::vector<Program> programs{{library}};
    for (const std::string name : {"/b", "/c"}) {
        mkdir((folder + name).c_str(), 0755);
        std::filesystem::copy_file(DEVICE_LIBRARY, folder + name + "/libiowkit.so");
        programs.push_back({dlopen((folder + name + "/libiowkit.so").c_str(), RTLD_NOW)});
        ASSERT_NE(programs.back().library, nullptr) << dlerror();
    }
    for (Program& p : programs)
        ASSERT_TRUE(p.start());
    Program &a = programs[0], &b = programs[1], &c = programs[2];
    ASSERT_FALSE(std::filesystem::exists(folder + "/etat"));
    b.set_year(0x27);  // makes the file
    EXPECT_EQ(a.year(), 0x27);
    c.set_year(0x20);  // has not read since it opened
    EXPECT_EQ(b.year(), 0x20);
    EXPECT_EQ(a.year(), 0x20);
    for (Program& p : programs)
        p.function<Close>("IowKitCloseDevice")(p.handle);
    dlclose(b.library);
    dlclose(c.library);
    std::ifstream file(folder + "/etat", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    std::string why;
    const auto kept = iowvirt::decode_state(bytes, why);
    ASSERT_TRUE(kept) << why;
    EXPECT_EQ(kept->chip.registers[6], 0x20);
    EXPECT_EQ(kept->sequence, 2u);
}

// Two programs with one board open, an exercise's (`invalid`, the seconds
// ticking at each read): one sets the clock twice within a second; the
// other reads each setting, and the clock running again, as it is on the
// board once set.
TEST_F(ShippedIow24, AnotherProgramsSettingsComeWithTheirOscillatorWithinASecond) {
    words("invalid tick\n");
    mkdir((folder + "/b").c_str(), 0755);
    std::filesystem::copy_file(DEVICE_LIBRARY, folder + "/b/libiowkit.so");
    std::ofstream(folder + "/b/iowvirt.txt") << "invalid tick\n";
    Program a{library}, b{dlopen((folder + "/b/libiowkit.so").c_str(), RTLD_NOW)};
    ASSERT_NE(b.library, nullptr) << dlerror();
    for (Program* p : {&a, &b})
        ASSERT_TRUE(p->start());
    EXPECT_EQ(a.seconds(), 0x5A);  // laid by the exercise, standing still
    EXPECT_EQ(a.seconds(), 0x5A);
    b.set_time();
    const int first = a.seconds();
    EXPECT_EQ(a.seconds(), first + 1) << "the oscillator runs once the clock is set";
    b.set_year(0x28);
    EXPECT_EQ(a.year(), 0x28) << "a second setting within the same second";
    for (Program* p : {&a, &b})
        p->function<Close>("IowKitCloseDevice")(p->handle);
    dlclose(b.library);
}

TEST_F(ShippedIow24, RegistersWrittenWithoutAStopAreKeptAtTheClose) {
    IOWKIT_HANDLE handle = open();
    ASSERT_NE(handle, nullptr);
    // A start, the chip's address, register 0 and the seconds; no stop.
    std::array<char, 8> enable{0x01, 0x01}, seconds{0x02, '\x83', '\xD0', 0x00, 0x45};
    write(handle, 1, enable.data(), 8);
    EXPECT_EQ(write(handle, 1, seconds.data(), 8), 8u);
    EXPECT_FALSE(std::filesystem::exists(folder + "/etat"));
    close(handle);
    EXPECT_EQ(std::filesystem::file_size(folder + "/etat"), iowvirt::kStateFileSize);
}

// A simulator started with no console: its standard streams closed. The
// state file must never take their place, or whatever the simulator
// prints lands in it.
TEST_F(ShippedIow24, TheStateFileNeverTakesAClosedStandardStreamsPlace) {
    // No file yet (made, then opened), then a file to open.
    for (int run = 0; run < 2; ++run) {
        int kept[3];
        for (int fd = 0; fd < 3; ++fd) {
            kept[fd] = fcntl(fd, F_DUPFD_CLOEXEC, 10);
            ::close(fd);
        }
        IOWKIT_HANDLE handle = open();
        std::array<char, 8> enable{0x01, 0x01}, seconds{0x02, '\xC3', '\xD0', 0x00, 0x30};
        write(handle, 1, enable.data(), 8);
        const std::uint32_t written = write(handle, 1, seconds.data(), 8);
        bool taken = false;
        for (int fd = 0; fd < 3; ++fd)
            taken = taken || fcntl(fd, F_GETFD) != -1;
        close(handle);
        for (int fd = 0; fd < 3; ++fd) {
            dup2(kept[fd], fd);
            ::close(kept[fd]);
        }
        EXPECT_EQ(written, 8u) << run;
        EXPECT_FALSE(taken) << run;
        EXPECT_EQ(std::filesystem::file_size(folder + "/etat"), iowvirt::kStateFileSize) << run;
    }
}

TEST_F(ShippedIow24, AStateFileThatCannotBeReadOrWrittenIsSaidOnceInALaunch) {
    std::ofstream(folder + "/fichier") << "x";
    // A file where the state file's folder should be; a folder no one may
    // make.
    for (const std::string& place :
         {folder + "/fichier/etat", std::string("/proc/rtc-iowvirt/etat")}) {
        setenv("IOWVIRT_STATE", place.c_str(), 1);
        ::testing::internal::CaptureStderr();
        for (int run = 0; run < 3; ++run)
            set_run();
        const std::string said = ::testing::internal::GetCapturedStderr();
        const std::size_t first = said.find("IOW24 virtuel : impossible d");
        EXPECT_NE(first, std::string::npos) << said;
        EXPECT_NE(said.find(place), std::string::npos) << said;
        EXPECT_EQ(said.find("IOW24 virtuel", first + 1), std::string::npos) << said;
    }
}

// What the teacher is shown of the words in force: every known word, the
// last one before iowvirt.txt's bound, and a misnamed file only when no
// word is in force.
TEST_F(ShippedIow24, TheTeachersViewNamesEveryWordInForce) {
    using Setting = const char* (*)();
    const auto setting = reinterpret_cast<Setting>(dlsym(library, "iowvirt_setting"));
    ASSERT_NE(setting, nullptr);
    struct Case {
        std::string words;
        bool misnamed_there;
        std::string starts;
        bool hinted;
    };
    const Case cases[] = {
        {"silent-write\n", false, "silent-write (", false},
        {"silent-write:0, silent:0\n", false, "silent, silent-write (", false},
        // The word that ends exactly at the 4,096th byte counts; the one
        // cut by the bound does not.
        {std::string(4090, ' ') + "frozen abcdefghij", false, "frozen (", false},
        {"frozen\n", true, "frozen (", false},
        {"", true, "aucun ; ", true},
    };
    for (const Case& c : cases) {
        words(c.words);
        if (c.misnamed_there) std::ofstream(folder + "/iowvirt.txt.txt") << "frozen\n";
        IOWKIT_HANDLE handle = open();
        ASSERT_NE(handle, nullptr) << c.words.substr(0, 20);
        close(handle);
        const std::string said = setting();
        EXPECT_EQ(said.rfind(c.starts, 0), 0u) << said;
        EXPECT_EQ(said.find("renommez-le iowvirt.txt") != std::string::npos, c.hinted) << said;
        std::filesystem::remove(folder + "/iowvirt.txt.txt");
    }
}

}  // namespace
