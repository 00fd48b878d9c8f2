#include "virtual/usb/device.h"

#include <string>

namespace iowvirt {

namespace {

constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 0x10;
constexpr std::size_t kLogCapacity = 65536;
constexpr std::int64_t kTickMs = 1000;
// An I2C write of two bytes, the chip's write address and register 0x00: a
// reader about to read the time.
bool points_at_the_seconds(const Report& request) {
    constexpr std::uint8_t kChipWrite = Ds1307::kBusAddress << 1;
    constexpr std::uint8_t kSecondsRegister = 0x00;
    return request[0] == kReportWrite && (request[1] & kCountMask) == 2 &&
           request[2] == kChipWrite && request[3] == kSecondsRegister;
}

Report as_report(const char* buffer) {
    Report report{};
    for (std::size_t i = 0; i < kReportSize; ++i)
        report[i] = static_cast<std::uint8_t>(buffer[i]);
    return report;
}

}  // namespace

bool Fault::strikes() {
    if (skip > 0) {
        --skip;
        return false;
    }
    if (count == 0) return false;
    --count;
    return true;
}

Device& device() {
    static Device d;
    return d;
}

// Handles are never reused, not even across a reset: an old one stays stale.
Device::Device() {
    usb.next_handle = kFirstHandle;
    power_up();
}

void Device::power_up() {
    board.given = false;
    board.pc_now = system_ms;
    garde.new_clock(board);
    board.chip.power_on();
    board.i2c.reset();
    board.i2c.set_chip_connected(true);
    usb.plugged = true;
    usb.open_fails = false;
    usb.open_handles.clear();
    usb.unplugged_handles.clear();
    usb.replies.clear();
    // Every armed fault gone at once, the ones to come included.
    faults = Faults{};
    usb.read_timeout = kDefaultReadTimeout;
    board.tick_ms = 0;
    board.ticking = false;
    board.frozen = board.invalid = board.fresh = false;
    board.exercises = 0;
    garde.close();
    usb.log.clear();
    usb.calls = usb.null_handle_calls = Calls{};
    usb.stale_uses = 0;
    reply_ready.notify_all();
}

IOWKIT_HANDLE Device::open(std::unique_lock<std::mutex>& lock) {
    ++usb.calls.open;
    if (usb.open_handles.empty()) configure();
    if (faults.open_stalls) {
        // The call never returns, until a reset or the end of the stall.
        reply_ready.wait(lock, [&] { return !faults.open_stalls; });
        return nullptr;
    }
    if (!usb.plugged || usb.open_fails) return nullptr;
    const std::uintptr_t handle = usb.next_handle;
    usb.next_handle += kHandleStep;
    usb.open_handles.insert(handle);
    return reinterpret_cast<IOWKIT_HANDLE>(handle);
}

void Device::close(IOWKIT_HANDLE handle) {
    count(&Calls::close, handle);
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    switch (state_of(handle)) {
        case HandleState::open:
            usb.open_handles.erase(value);
            garde.handle_closed(board);
            // Replies not read by then were the closed handle's.
            if (usb.open_handles.empty()) {
                usb.replies.clear();
                garde.close();
            }
            reply_ready.notify_all();
            break;
        case HandleState::unplugged:
            usb.unplugged_handles.erase(value);
            break;
        default:
            break;
    }
}

std::uint32_t Device::write(std::unique_lock<std::mutex>& lock, IOWKIT_HANDLE handle,
                            std::uint32_t pipe, const char* buffer, std::uint32_t length) {
    count(&Calls::write, handle);
    if (buffer == nullptr || pipe != kSpecialModePipe || length != kReportSize) return 0;
    if (faults.writes_before_stall == 0) {
        reply_ready.wait(lock, [&] { return faults.writes_before_stall != 0; });
        return 0;
    }
    if (faults.writes_before_stall > 0) --faults.writes_before_stall;
    const std::uint32_t written = deliver(handle, buffer);
    record(Direction::written, pipe, buffer, written);
    return written;
}

std::uint32_t Device::read(std::unique_lock<std::mutex>& lock, IOWKIT_HANDLE handle,
                           std::uint32_t pipe, char* buffer, std::uint32_t length) {
    count(&Calls::read, handle);
    if (buffer == nullptr || pipe != kSpecialModePipe || length != kReportSize) return 0;
    const std::uint32_t read = collect(lock, handle, buffer);
    record(Direction::read, pipe, buffer, read);
    return read;
}

void Device::unplug() {
    usb.plugged = false;
    usb.unplugged_handles.insert(usb.open_handles.begin(), usb.open_handles.end());
    usb.open_handles.clear();
    usb.replies.clear();
    board.i2c.reset();
    garde.close();
    reply_ready.notify_all();
}

void Device::count(int Calls::*function, IOWKIT_HANDLE handle) {
    ++(usb.calls.*function);
    if (handle == nullptr) ++(usb.null_handle_calls.*function);
}

HandleState Device::state_of(IOWKIT_HANDLE handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value == 0) return HandleState::null;
    if (usb.open_handles.count(value) != 0) return HandleState::open;
    if (usb.unplugged_handles.count(value) != 0) return HandleState::unplugged;
    ++usb.stale_uses;
    return HandleState::stale;
}

std::uint32_t Device::deliver(IOWKIT_HANDLE handle, const char* buffer) {
    if (state_of(handle) != HandleState::open) return 0;
    if (faults.unplug_on_write.strikes()) {
        unplug();
        return 0;
    }
    if (faults.short_write.strikes()) return faults.short_write_bytes;
    const Report request = as_report(buffer);
    if (points_at_the_seconds(request)) {
        garde.before_time_read(board);
        if (board.ticking) board.tick_ms += kTickMs;
    }
    const bool fault = I2cFunction::is_transfer(request) && faults.bus_fault.strikes();
    if (auto reply = board.i2c.handle(request, fault)) {
        usb.replies.push_back(*reply);
        reply_ready.notify_all();
    }
    if (request[0] == kReportWrite && (request[1] & kFlagStop) != 0) garde.transaction_over(board);
    return kReportSize;
}

std::uint32_t Device::collect(std::unique_lock<std::mutex>& lock, IOWKIT_HANDLE handle,
                              char* buffer) {
    if (state_of(handle) != HandleState::open) return 0;
    if (faults.failed_read.strikes()) {
        if (!usb.replies.empty()) usb.replies.pop_front();
        return 0;
    }
    if (faults.silent_after == 0) {
        // The reply never comes, until a reset or the end of the silence.
        reply_ready.wait(lock, [&] { return faults.silent_after != 0; });
        return 0;
    }
    if (faults.silent_after > 0) --faults.silent_after;
    // A reply may still come from a write on another thread.
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    const auto ready = [&] { return !usb.replies.empty() || usb.open_handles.count(value) == 0; };
    reply_ready.wait_for(lock, usb.read_timeout, ready);
    if (usb.replies.empty() || usb.open_handles.count(value) == 0) {
        buffer[1] = static_cast<char>(buffer[1] | kStatusFailed);
        return 0;
    }
    const Report reply = usb.replies.front();
    usb.replies.pop_front();
    const std::uint32_t count = faults.short_read.strikes() ? faults.short_read_bytes : kReportSize;
    for (std::size_t i = 0; i < count; ++i)
        buffer[i] = static_cast<char>(reply[i]);
    return count;
}

void Device::record(Direction direction, std::uint32_t pipe, const char* buffer,
                    std::uint32_t result) {
    if (usb.log.size() == kLogCapacity) usb.log.pop_front();
    usb.log.push_back(LogEntry{direction, pipe, as_report(buffer), result});
}

}  // namespace iowvirt
