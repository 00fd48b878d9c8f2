// The virtual IOW24's control interface, for tests and tools.
#include "virtual/usb/device.h"

namespace iowvirt {

namespace {
// Runs `action` on the device with its lock held.
template <typename Action>
auto locked(Action action) {
    Device& d = device();
    std::lock_guard lock(d.mutex);
    return action(d);
}
}  // namespace

void reset() {
    locked([](Device& d) {
        d.power_up();
        d.setup.controlled = true;
        d.garde.keep_in_memory();
    });
}

void as_shipped() {
    locked([](Device& d) {
        d.power_up();
        d.setup.controlled = false;
        d.setup.configured = false;
    });
}

void set_open_fails(bool fails) {
    locked([&](Device& d) { d.usb.open_fails = fails; });
}

void fail_next_transfers(int count, int skip) {
    locked([&](Device& d) { d.faults.bus_fault = Fault{skip, count}; });
}

void short_next_writes(int count, std::uint32_t bytes, int skip) {
    locked([&](Device& d) {
        d.faults.short_write = Fault{skip, count};
        d.faults.short_write_bytes = bytes < kReportSize ? bytes : kReportSize - 1;
    });
}

void fail_next_reads(int count, int skip) {
    locked([&](Device& d) { d.faults.failed_read = Fault{skip, count}; });
}

void short_next_reads(int count, std::uint32_t bytes, int skip) {
    locked([&](Device& d) {
        d.faults.short_read = Fault{skip, count};
        d.faults.short_read_bytes = bytes < kReportSize ? bytes : kReportSize - 1;
    });
}

void silence_reads(int skip) {
    locked([&](Device& d) {
        d.faults.silent_after = skip < 0 ? -1 : skip;
        d.reply_ready.notify_all();
    });
}

void stall_opens(bool stalls) {
    locked([&](Device& d) {
        d.faults.open_stalls = stalls;
        d.reply_ready.notify_all();
    });
}

void stall_writes(int skip) {
    locked([&](Device& d) {
        d.faults.writes_before_stall = skip < 0 ? -1 : skip;
        d.reply_ready.notify_all();
    });
}

void unplug() {
    locked([](Device& d) { d.unplug(); });
}

void unplug_on_write(int skip) {
    locked([&](Device& d) { d.faults.unplug_on_write = Fault{skip, 1}; });
}

void replug() {
    locked([](Device& d) { d.usb.plugged = true; });
}

void set_chip_connected(bool connected) {
    locked([&](Device& d) { d.board.i2c.set_chip_connected(connected); });
}

std::uint8_t get_register(std::uint8_t reg) {
    return locked([&](Device& d) { return d.board.chip.peek(reg); });
}

void set_register(std::uint8_t reg, std::uint8_t value) {
    locked([&](Device& d) { d.board.chip.poke(reg, value); });
}

void set_time_source(TimeSource source) {
    locked([&](Device& d) { d.board.chip.set_time_source(std::move(source)); });
}

void set_read_timeout(std::chrono::milliseconds timeout) {
    locked([&](Device& d) { d.usb.read_timeout = timeout; });
}

std::vector<LogEntry> log() {
    return locked(
        [](Device& d) { return std::vector<LogEntry>(d.usb.log.begin(), d.usb.log.end()); });
}

void clear_log() {
    locked([](Device& d) {
        d.usb.log.clear();
        d.usb.calls = d.usb.null_handle_calls = Calls{};
    });
}

Calls calls() {
    return locked([](Device& d) { return d.usb.calls; });
}

Calls null_handle_calls() {
    return locked([](Device& d) { return d.usb.null_handle_calls; });
}

int stale_handle_uses() {
    return locked([](Device& d) { return d.usb.stale_uses; });
}

std::size_t pending_replies() {
    return locked([](Device& d) { return d.usb.replies.size(); });
}

std::size_t open_handle_count() {
    return locked([](Device& d) { return d.usb.open_handles.size(); });
}

}  // namespace iowvirt
