// The virtual IOW24 behind the device library's four functions.
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <set>
#include <sstream>
#include <string>

#include "iow/iowkit.h"
#include "virtual/iowvirt.h"

namespace iowvirt {

namespace {

constexpr std::uint32_t kSpecialModePipe = 1;
constexpr std::uint32_t kReportSize = 8;
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 0x10;
constexpr std::size_t kLogCapacity = 65536;
constexpr std::chrono::milliseconds kDefaultReadTimeout{1000};

std::int64_t system_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A fault armed for the calls of one kind: `skip` good ones, then `count` bad.
struct Fault {
    int skip = 0;
    int count = 0;
    bool strikes() {
        if (skip > 0) {
            --skip;
            return false;
        }
        if (count == 0) return false;
        --count;
        return true;
    }
};

enum class HandleState { null, open, unplugged, stale };

struct Device {
    std::mutex mutex;
    std::condition_variable reply_ready;
    Ds1307 chip{system_ms};
    I2cFunction i2c{chip};
    bool plugged = true;
    bool open_fails = false;
    std::uintptr_t next_handle = kFirstHandle;
    std::set<std::uintptr_t> open_handles;
    std::set<std::uintptr_t> unplugged_handles;  // opened before an unplug
    std::deque<Report> replies;
    Fault bus_fault;
    Fault short_write;
    std::uint32_t short_write_bytes = 0;
    Fault failed_read;
    Fault unplug_on_write;
    std::chrono::milliseconds read_timeout = kDefaultReadTimeout;
    std::deque<LogEntry> log;
    int stale_uses = 0;

    HandleState state_of(IOWKIT_HANDLE handle) {
        const auto value = reinterpret_cast<std::uintptr_t>(handle);
        if (value == 0) return HandleState::null;
        if (open_handles.count(value) != 0) return HandleState::open;
        if (unplugged_handles.count(value) != 0) return HandleState::unplugged;
        ++stale_uses;
        return HandleState::stale;
    }

    void unplug() {
        plugged = false;
        unplugged_handles.insert(open_handles.begin(), open_handles.end());
        open_handles.clear();
        replies.clear();
        i2c.reset();
        reply_ready.notify_all();
    }

    void record(Direction direction, std::uint32_t pipe, const char* buffer, std::uint32_t result) {
        LogEntry entry{direction, pipe, {}, result};
        for (std::size_t i = 0; i < kReportSize; ++i)
            entry.bytes[i] = static_cast<std::uint8_t>(buffer[i]);
        if (log.size() == kLogCapacity) log.pop_front();
        log.push_back(entry);
    }
};

// The words of IOWVIRT set up a device that a program loads without code.
void apply_environment(Device& d) {
    const char* words = std::getenv("IOWVIRT");
    if (words == nullptr) return;
    std::stringstream list(words);
    std::string word;
    while (std::getline(list, word, ',')) {
        if (word == "absent") d.plugged = false;
        if (word == "no-chip") d.i2c.set_chip_connected(false);
        if (word == "frozen") {
            const std::int64_t start = system_ms();
            d.chip.set_time_source([start] { return start; });
        }
    }
}

Device& device() {
    static Device& instance = []() -> Device& {
        static Device d;
        apply_environment(d);
        return d;
    }();
    return instance;
}

std::uint32_t write_report(Device& d, IOWKIT_HANDLE handle, const char* buffer) {
    if (d.state_of(handle) != HandleState::open) return 0;
    if (d.unplug_on_write.strikes()) {
        d.unplug();
        return 0;
    }
    if (d.short_write.strikes()) return d.short_write_bytes;
    Report request{};
    for (std::size_t i = 0; i < kReportSize; ++i)
        request[i] = static_cast<std::uint8_t>(buffer[i]);
    const bool fault = I2cFunction::is_transfer(request) && d.bus_fault.strikes();
    if (auto reply = d.i2c.handle(request, fault)) {
        d.replies.push_back(*reply);
        d.reply_ready.notify_all();
    }
    return kReportSize;
}

std::uint32_t read_report(Device& d, std::unique_lock<std::mutex>& lock, IOWKIT_HANDLE handle,
                          char* buffer) {
    if (d.state_of(handle) != HandleState::open) return 0;
    if (d.failed_read.strikes()) {
        if (!d.replies.empty()) d.replies.pop_front();
        return 0;
    }
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    d.reply_ready.wait_for(lock, d.read_timeout,
                           [&] { return !d.replies.empty() || d.open_handles.count(value) == 0; });
    if (d.replies.empty() || d.open_handles.count(value) == 0) {
        buffer[1] = static_cast<char>(buffer[1] | kStatusFailed);
        return 0;
    }
    const Report reply = d.replies.front();
    d.replies.pop_front();
    for (std::size_t i = 0; i < kReportSize; ++i)
        buffer[i] = static_cast<char>(reply[i]);
    return kReportSize;
}

}  // namespace

void reset() {
    Device& d = device();
    std::lock_guard lock(d.mutex);
    d.chip.set_time_source(system_ms);
    d.chip.power_on();
    d.i2c.reset();
    d.i2c.set_chip_connected(true);
    d.plugged = true;
    d.open_fails = false;
    d.open_handles.clear();
    d.unplugged_handles.clear();
    d.replies.clear();
    d.bus_fault = d.short_write = d.failed_read = d.unplug_on_write = Fault{};
    d.read_timeout = kDefaultReadTimeout;
    d.log.clear();
    d.stale_uses = 0;
    d.reply_ready.notify_all();
}

void set_open_fails(bool fails) {
    std::lock_guard lock(device().mutex);
    device().open_fails = fails;
}

void fail_next_transfers(int count, int skip) {
    std::lock_guard lock(device().mutex);
    device().bus_fault = Fault{skip, count};
}

void short_next_writes(int count, std::uint32_t bytes, int skip) {
    std::lock_guard lock(device().mutex);
    device().short_write = Fault{skip, count};
    device().short_write_bytes = bytes < kReportSize ? bytes : kReportSize - 1;
}

void fail_next_reads(int count, int skip) {
    std::lock_guard lock(device().mutex);
    device().failed_read = Fault{skip, count};
}

void unplug() {
    std::lock_guard lock(device().mutex);
    device().unplug();
}

void unplug_on_write(int skip) {
    std::lock_guard lock(device().mutex);
    device().unplug_on_write = Fault{skip, 1};
}

void replug() {
    std::lock_guard lock(device().mutex);
    device().plugged = true;
}

void set_chip_connected(bool connected) {
    std::lock_guard lock(device().mutex);
    device().i2c.set_chip_connected(connected);
}

std::uint8_t get_register(std::uint8_t reg) {
    std::lock_guard lock(device().mutex);
    return device().chip.peek(reg);
}

void set_register(std::uint8_t reg, std::uint8_t value) {
    std::lock_guard lock(device().mutex);
    device().chip.poke(reg, value);
}

void set_time_source(TimeSource source) {
    std::lock_guard lock(device().mutex);
    device().chip.set_time_source(std::move(source));
}

void set_read_timeout(std::chrono::milliseconds timeout) {
    std::lock_guard lock(device().mutex);
    device().read_timeout = timeout;
}

std::vector<LogEntry> log() {
    std::lock_guard lock(device().mutex);
    return {device().log.begin(), device().log.end()};
}

void clear_log() {
    std::lock_guard lock(device().mutex);
    device().log.clear();
}

int stale_handle_uses() {
    std::lock_guard lock(device().mutex);
    return device().stale_uses;
}

std::size_t pending_replies() {
    std::lock_guard lock(device().mutex);
    return device().replies.size();
}

std::size_t open_handle_count() {
    std::lock_guard lock(device().mutex);
    return device().open_handles.size();
}

}  // namespace iowvirt

using iowvirt::Device;
using iowvirt::device;
using iowvirt::HandleState;

extern "C" {

IOWKIT_HANDLE APPEL_STD IowKitOpenDevice(void) {
    Device& d = device();
    std::lock_guard lock(d.mutex);
    if (!d.plugged || d.open_fails) return nullptr;
    const std::uintptr_t handle = d.next_handle;
    d.next_handle += iowvirt::kHandleStep;
    d.open_handles.insert(handle);
    return reinterpret_cast<IOWKIT_HANDLE>(handle);
}

void APPEL_STD IowKitCloseDevice(IOWKIT_HANDLE iowHandle) {
    Device& d = device();
    std::lock_guard lock(d.mutex);
    const auto value = reinterpret_cast<std::uintptr_t>(iowHandle);
    switch (d.state_of(iowHandle)) {
        case HandleState::open:
            d.open_handles.erase(value);
            // Replies not read by then were the closed handle's.
            if (d.open_handles.empty()) d.replies.clear();
            d.reply_ready.notify_all();
            break;
        case HandleState::unplugged:
            d.unplugged_handles.erase(value);
            break;
        default:
            break;
    }
}

std::uint32_t APPEL_STD IowKitWrite(IOWKIT_HANDLE iowHandle, std::uint32_t numPipe, char* buffer,
                                    std::uint32_t length) {
    Device& d = device();
    std::lock_guard lock(d.mutex);
    if (buffer == nullptr || numPipe != iowvirt::kSpecialModePipe ||
        length != iowvirt::kReportSize) {
        return 0;
    }
    const std::uint32_t written = iowvirt::write_report(d, iowHandle, buffer);
    d.record(iowvirt::Direction::written, numPipe, buffer, written);
    return written;
}

std::uint32_t APPEL_STD IowKitRead(IOWKIT_HANDLE iowHandle, std::uint32_t numPipe, char* buffer,
                                   std::uint32_t length) {
    Device& d = device();
    std::unique_lock lock(d.mutex);
    if (buffer == nullptr || numPipe != iowvirt::kSpecialModePipe ||
        length != iowvirt::kReportSize) {
        return 0;
    }
    const std::uint32_t read = iowvirt::read_report(d, lock, iowHandle, buffer);
    d.record(iowvirt::Direction::read, numPipe, buffer, read);
    return read;
}

}  // extern "C"
