// What the block's tests take for granted of the 32-bit Windows they run on,
// checked on its own: threads that keep their own thread-local storage and
// thread block, access violations that reach structured exception handling
// as such, and a 32-bit process that starts another.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 2000;
constexpr DWORD kChildWaitMs = 120000;
constexpr const char kChildFlag[] = "--child";
constexpr int kChildExitCode = 32;

TEST(Wine32, IsA32BitProcess) {
    EXPECT_EQ(sizeof(void*), 4u);
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_TRUE(wow64) << "a 32-bit program in a 64-bit prefix runs under WoW64";
}

// Every thread, alive at the same time, keeps its own C++ thread_local, its
// own Windows TLS slot value and its own last error (which lives in the
// thread's TEB), across many switches between threads.
thread_local int own_number = -1;

TEST(Wine32, ThreadsKeepTheirOwnStorage) {
    const DWORD slot = TlsAlloc();
    ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
    std::atomic<int> started{0}, mixed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            own_number = t;
            TlsSetValue(slot, reinterpret_cast<void*>(static_cast<INT_PTR>(t + 1)));
            ++started;
            while (started < kThreads)
                SwitchToThread();
            for (int round = 0; round < kRounds; ++round) {
                SetLastError(static_cast<DWORD>(1000 + t));
                Sleep(0);
                // Before TlsGetValue, which clears the last error.
                if (GetLastError() != static_cast<DWORD>(1000 + t) || own_number != t ||
                    TlsGetValue(slot) != reinterpret_cast<void*>(static_cast<INT_PTR>(t + 1)))
                    ++mixed;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    TlsFree(slot);
    EXPECT_EQ(mixed, 0);
}

// An access violation as the handler sees it.
struct Violation {
    DWORD code = 0;
    ULONG_PTR kind = 99;  // 0 read, 1 write
    ULONG_PTR address = 0;
    int count = 0;
};
thread_local Violation seen;

constexpr DWORD kProbeLength = 2;  // both probes are 2-byte instructions

LONG CALLBACK note_and_skip(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    seen.code = record.ExceptionCode;
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        seen.kind = record.ExceptionInformation[0];
        seen.address = record.ExceptionInformation[1];
    }
    ++seen.count;
    pointers->ContextRecord->Eip += kProbeLength;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Registers fixed so that each probe encodes in two bytes (8B 01, 89 01).
void read_at(std::uintptr_t address) {
    int value = 0;
    asm volatile("movl (%1), %0" : "+a"(value) : "c"(address) : "memory");
}

void write_at(std::uintptr_t address) {
    asm volatile("movl %0, (%1)" : : "a"(7), "c"(address) : "memory");
}

// What the handler saw for a read at 0x30 and a write at 0x40, as text.
std::string probe() {
    std::string report;
    for (const auto& [write, address] : {std::pair{false, 0x30u}, std::pair{true, 0x40u}}) {
        seen = Violation{};
        write ? write_at(address) : read_at(address);
        report += std::to_string(seen.count) + " " + std::to_string(seen.code) + " " +
                  std::to_string(seen.kind) + " " + std::to_string(seen.address) + "; ";
    }
    return report;
}

TEST(Wine32, AccessViolationsReachTheHandlerAsSuch) {
    const std::string expected = "1 " + std::to_string(EXCEPTION_ACCESS_VIOLATION) + " 0 48; 1 " +
                                 std::to_string(EXCEPTION_ACCESS_VIOLATION) + " 1 64; ";
    void* handler = AddVectoredExceptionHandler(1, note_and_skip);
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(probe(), expected);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round)
                wrong += probe() != expected;
        });
    }
    for (auto& thread : threads)
        thread.join();
    RemoveVectoredExceptionHandler(handler);
    EXPECT_EQ(wrong, 0);
    // Wine's own guarded reads take the same road.
    EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<void*>(0x10), 4));
    EXPECT_FALSE(IsBadReadPtr(&wrong, 4));
}

TEST(Wine32, A32BitProcessStartsAnother) {
    char path[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    std::string command = std::string("\"") + path + "\" " + kChildFlag;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child))
        << "error " << GetLastError();
    ASSERT_EQ(WaitForSingleObject(child.hProcess, kChildWaitMs), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    BOOL wow64 = FALSE;
    IsWow64Process(child.hProcess, &wow64);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_EQ(code, static_cast<DWORD>(kChildExitCode));
    EXPECT_TRUE(wow64);
}

}  // namespace

int main(int argc, char** argv) {
    // The child: a 32-bit process that tells its pointer size by its exit code.
    if (argc == 2 && std::strcmp(argv[1], kChildFlag) == 0) {
        return sizeof(void*) == 4 ? kChildExitCode : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
