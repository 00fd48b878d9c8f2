#include "tests/support.h"

#include <ostream>

#include "platform/alerte.h"

namespace {
std::vector<Alert> recorded;
std::int64_t now_ms = kStartOfTime;

void record(const char* text, const char* caption) { recorded.push_back({text, caption}); }
void ignore(const char*, const char*) {}

std::vector<Report> reports(iowvirt::Direction direction) {
    std::vector<Report> result;
    for (const auto& entry : iowvirt::log()) {
        if (entry.direction == direction) result.push_back(entry.bytes);
    }
    return result;
}
}  // namespace

void PrintTo(const Alert& alert, std::ostream* os) {
    *os << "[" << alert.caption << "] " << alert.text;
}

void iowvirt::PrintTo(const Calls& calls, std::ostream* os) {
    *os << "{open " << calls.open << ", close " << calls.close << ", write " << calls.write
        << ", read " << calls.read << "}";
}

Inputs set_inputs(double sec, double min, double heu, double dat, double moi, double ann) {
    return {0.0, sec, min, heu, dat, moi, ann, 5.0};
}

Inputs read_inputs() { return {5.0, 0, 0, 0, 0, 0, 0, 0.0}; }

Outputs marked_outputs() {
    Outputs out;
    out.fill(kMarker);
    return out;
}

void Bench::SetUp() {
    iowvirt::reset();
    iowvirt::set_read_timeout(std::chrono::milliseconds(0));
    now_ms = kStartOfTime;
    iowvirt::set_time_source([] { return now_ms; });
    recorded.clear();
    alerte::rediriger(record);
}

void Bench::TearDown() {
    // Leave no handle in the block for the next test.
    alerte::rediriger(ignore);
    stop();
    alerte::rediriger(nullptr);
}

void Bench::start_quietly() {
    start();
    clear();
}

void Bench::advance_ms(std::int64_t ms) { now_ms += ms; }

const std::vector<Alert>& Bench::alerts() const { return recorded; }

void Bench::clear() {
    recorded.clear();
    iowvirt::clear_log();
}

std::vector<Report> Bench::written() const { return reports(iowvirt::Direction::written); }
std::vector<Report> Bench::read() const { return reports(iowvirt::Direction::read); }

void Bench::set_registers(std::array<std::uint8_t, 7> bytes) {
    for (std::uint8_t reg = 0; reg < bytes.size(); ++reg)
        iowvirt::set_register(reg, bytes[reg]);
}

std::array<std::uint8_t, 7> Bench::registers() const {
    std::array<std::uint8_t, 7> bytes{};
    for (std::uint8_t reg = 0; reg < bytes.size(); ++reg)
        bytes[reg] = iowvirt::get_register(reg);
    return bytes;
}
