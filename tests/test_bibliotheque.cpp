// The shared library as a host loads it: its exported names, and a whole run
// through looked-up entry points, with the alerts on stderr.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "block/rtc_iow24.h"
#include "virtual/usb/iowvirt.h"

namespace {

std::string run_command(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr)
        output += chunk;
    pclose(pipe);
    return output;
}

// Everything written to stderr while it lives.
class StderrCapture {
  public:
    StderrCapture() : file_(std::tmpfile()), saved_(dup(2)) {
        std::fflush(stderr);
        dup2(fileno(file_), 2);
    }
    std::string finish() {
        std::fflush(stderr);
        dup2(saved_, 2);
        close(saved_);
        std::string text;
        std::rewind(file_);
        char chunk[256];
        while (std::fgets(chunk, sizeof chunk, file_) != nullptr)
            text += chunk;
        std::fclose(file_);
        return text;
    }

  private:
    FILE* file_;
    int saved_;
};

class Library : public ::testing::Test {
  protected:
    void SetUp() override {
        iowvirt::reset();
        iowvirt::set_read_timeout(std::chrono::milliseconds(0));
        handle = dlopen(BLOCK_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
    }
    void TearDown() override { dlclose(handle); }
    template <typename Fn>
    Fn find(const char* name) {
        return reinterpret_cast<Fn>(dlsym(handle, name));
    }
    void* handle = nullptr;
};

// The names a library exports, as the dynamic linker sees them.
std::set<std::string> exported_by(const std::string& library) {
    std::istringstream listing(run_command("nm -D --defined-only " + library));
    std::set<std::string> exported;
    std::string address, kind, name;
    while (listing >> address >> kind >> name)
        exported.insert(name);
    return exported;
}

TEST_F(Library, ExportsTheEightEntryPointsAndNothingElse) {
    EXPECT_EQ(exported_by(BLOCK_LIBRARY),
              (std::set<std::string>{"CCalculate", "CConfigure", "CSimStart", "CSimStop",
                                     "GetInputName", "GetOutputName", "NumInputs", "NumOutputs"}));
}

// Any program on the PC can call what the shipped device library exports:
// the device library's four functions and what rtc_host calls, no more.
TEST(ShippedDevice, ExportsTheFourFunctionsAndWhatRtcHostCallsAndNothingElse) {
    EXPECT_EQ(exported_by(SHIPPED_DEVICE),
              (std::set<std::string>{"IowKitCloseDevice", "IowKitOpenDevice", "IowKitRead",
                                     "IowKitWrite", "iowvirt_bench", "iowvirt_busy",
                                     "iowvirt_identity", "iowvirt_setting"}));
}

TEST_F(Library, AHostLaysOutThePinsAndDrivesARun) {
    auto num_inputs = find<NumPinsFn>("NumInputs");
    auto input_name = find<PinNameFn>("GetInputName");
    auto output_name = find<PinNameFn>("GetOutputName");
    auto start = find<SimFn>("CSimStart");
    auto calculate = find<CalculateFn>("CCalculate");
    auto stop = find<SimFn>("CSimStop");
    ASSERT_TRUE(num_inputs && input_name && output_name && start && calculate && stop);

    EXPECT_EQ(num_inputs(), 8);
    char name[8] = {};
    input_name(7, name);
    EXPECT_STREQ(name, "init");
    output_name(5, name);
    EXPECT_STREQ(name, "ANN");

    StderrCapture capture;
    start(nullptr, nullptr, nullptr);
    double set[8] = {0, 45, 30, 13, 8, 3, 2011, 5};
    double rd[8] = {5, 0, 0, 0, 0, 0, 0, 0};
    double out[6] = {};
    calculate(set, out, nullptr);
    iowvirt::set_register(0, 0x45);  // a second may have passed
    calculate(rd, out, nullptr);
    stop(nullptr, nullptr, nullptr);
    const std::string alerts = capture.finish();

    EXPECT_EQ(
        alerts,
        "[Recherche IOW24] IOW24 d\u00e9tect\u00e9 : initialisation de la liaison I\u00b2C\n");
    EXPECT_EQ(out[0], 45);
    EXPECT_EQ(out[1], 30);
    EXPECT_EQ(out[5], 11);
    EXPECT_EQ(iowvirt::open_handle_count(), 0u);
}

TEST_F(Library, AlertsOnStderrAreUtf8AndTheRunGoesOn) {
    iowvirt::set_open_fails(true);
    auto start = find<SimFn>("CSimStart");
    auto calculate = find<CalculateFn>("CCalculate");
    auto stop = find<SimFn>("CSimStop");
    StderrCapture capture;
    start(nullptr, nullptr, nullptr);
    double rd[8] = {5, 0, 0, 0, 0, 0, 0, 0};
    double out[6] = {1, 2, 3, 4, 5, 6};
    calculate(rd, out, nullptr);
    stop(nullptr, nullptr, nullptr);
    EXPECT_EQ(capture.finish(),
              "[Recherche IOW24] Echec lors de l'ouverture de IOW24\n"
              "[Ecriture] Echec pour initialiser l'I2C\n"
              "[Leture] Erreur de transmission\n"
              "[LECTURE] Erreur de lecture\n"
              "[Leture] Erreur de transmission\n"
              "[LECTURE] Erreur de lecture\n"
              "[Ecriture] Echec pour initialiser l'I2C\n");
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[5], 6);
}

}  // namespace
