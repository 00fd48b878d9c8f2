// Sequences of a PC's clock and of programs on one virtual clock, run
// against the real device and checked against the true time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pile_modele {

enum class Kind { advance, pc, launch, exit, set, read };
enum class Pc { right, behind, bios, ahead };

struct Op {
    Kind kind;
    std::int64_t amount = 0;  // ms: time gone by, or how far the PC's clock is wrong
    int program = 0;          // which running program, in the order launched
    std::int64_t value = 0;   // a setting, in seconds since 2000-01-01 00:00:00
    bool halted = false;      // the setting has the seconds' halt bit
    Pc pc = Pc::right;
};

// 2026-12-10 12:00:00, in seconds since 2000.
inline constexpr std::int64_t kNoon = 850'305'600;

inline Op advance(std::int64_t ms) { return {Kind::advance, ms}; }
inline Op pc_right() { return {Kind::pc, 0, 0, 0, false, Pc::right}; }
inline Op pc_behind(std::int64_t ms) { return {Kind::pc, ms, 0, 0, false, Pc::behind}; }
inline Op pc_bios() { return {Kind::pc, 0, 0, 0, false, Pc::bios}; }
inline Op pc_ahead(std::int64_t ms) { return {Kind::pc, ms, 0, 0, false, Pc::ahead}; }
inline Op launch() { return {Kind::launch}; }
inline Op quit(int program) { return {Kind::exit, 0, program}; }
inline Op set(int program, std::int64_t value, bool halted = false) {
    return {Kind::set, 0, program, value, halted};
}
inline Op read(int program) { return {Kind::read, 0, program}; }

std::vector<Op> random_sequence(unsigned seed);
// Empty when every property held at every read; else what failed, where.
// `readings`: what each read showed, in seconds since 2000.
std::string run_sequence(const std::vector<Op>& ops, std::vector<std::int64_t>* readings = nullptr);
// The shortest sequence found, by leaving out one step at a time, that
// still fails.
std::vector<Op> shrink(std::vector<Op> ops);
std::string describe(const std::vector<Op>& ops);

}  // namespace pile_modele
