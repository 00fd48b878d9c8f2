#include "tests/virtual/pile/modele_pile.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sstream>

#include "tests/virtual/pile/programmes_virtuels.h"
#include "virtual/pile/vecu.h"

namespace pile_modele {

namespace {

constexpr std::int64_t kStartMs = 1'796'634'000'000;  // 2026-12-07 09:00:00 UTC
constexpr std::int64_t k2000Ms = 946'684'800'000;
constexpr std::int64_t kSecond = 1000, kMinute = 60 * kSecond;
constexpr int kMostRunning = 3;
constexpr std::size_t kSteps = 40;

// The true time, and the PC's clock that may be wrong.
struct Clock {
    std::int64_t true_ms = kStartMs;
    std::int64_t offset_ms = 0;
    std::int64_t pc() const { return true_ms + offset_ms; }
};

// What the true time says a clock on its battery should read, and what the
// promise allows around it.
struct Model {
    bool set = false;
    std::int64_t value = 0;     // the newest setting, seconds since 2000
    std::int64_t set_true = 0;  // its true moment, ms
    bool halted = false;
    bool clean = false;         // the PC's clock right since, and not behind any earlier look
    bool wrong_at_set = false;  // the setting was made with the PC's clock wrong
    // How far the PC's clock jumped ahead since, past anything seen: no
    // clock can tell that from time lived.
    std::int64_t gain_ms = 0;
    std::int64_t lost_ms = 0;  // what spells behind since may have cost
    std::int64_t lag_ms = 0;   // the largest lag of the spell behind going on
    std::int64_t shown = 0;    // the latest time shown since the setting
    // The furthest the PC's clock was seen at by a read or a setting, which
    // every program gets to know.
    std::int64_t shown_pc = 0;
    // The setting was made behind it, and it is not past yet.
    bool behind_kept = false;
    // Jumps within spells behind taken for time lived, whatever the setting.
    std::int64_t excess_ms = 0;
    // What a launch saw of the PC's clock and kept nowhere, when the clock
    // is then found behind it: it may be lost too.
    std::int64_t unkept_ms = 0;
    std::int64_t look_pc = 0;  // the PC's clock at the last look of any program
    std::int64_t look_offset = 0;
    // The furthest any program saw the PC's clock at, a launch included: a
    // setting made behind it may count on only once it is past again.
    std::int64_t seen_pc = 0;
};

// A program looks at the PC's clock. A jump forward since the last look is
// taken for time lived while the clock stays behind what was seen, and so
// is its part past what every program may know was seen; but a setting
// made behind what was kept counts nothing of the jump that takes the
// clock past it again. A clock that read before the release was behind, as
// the device knows.
void looked(Model& model, const Clock& clock, bool shows) {
    const std::int64_t jump = clock.offset_ms - model.look_offset;
    const std::int64_t pc = clock.pc();
    if (jump > 0) {
        // Jumps taken for time lived leave the clock believed that much
        // further behind, a setting or not.
        const bool within =
            pc <= model.seen_pc + model.excess_ms && model.look_pc >= iowvirt::kReleasedMs;
        if (within) model.excess_ms += jump;
        std::int64_t past = std::max<std::int64_t>(0, std::min(jump, pc - model.shown_pc));
        if (model.behind_kept && pc >= model.shown_pc) past = 0;
        if (model.set) model.gain_ms += std::max(within ? jump : 0, past);
    }
    if (pc >= model.shown_pc) model.behind_kept = false;
    if (pc < model.seen_pc)
        model.unkept_ms = std::max(model.unkept_ms, model.seen_pc - model.shown_pc);
    if (shows) model.shown_pc = std::max(model.shown_pc, pc);
    model.seen_pc = std::max(model.seen_pc, clock.pc());
    model.look_pc = clock.pc();
    model.look_offset = clock.offset_ms;
}

void pc_changed(Model& model, std::int64_t offset) {
    if (offset != 0) model.clean = false;
    if (offset < 0) {
        model.lag_ms = std::max(model.lag_ms, -offset);
    } else {
        model.lost_ms += model.lag_ms;
        model.lag_ms = 0;
    }
}

void setting(Model& model, const Clock& clock, const Op& op) {
    // Behind what was seen, or what jumps taken for time lived make believe.
    const bool behind = clock.pc() < model.seen_pc + model.excess_ms;
    // Behind, with nothing kept that says so: no program can tell.
    const std::int64_t unseen =
        clock.offset_ms < 0 && clock.pc() >= model.shown_pc ? -clock.offset_ms : 0;
    const bool behind_kept = clock.pc() < model.shown_pc;
    // What was seen of the PC's clock outlives the setting; all else starts
    // anew from it.
    const Model before = model;
    model = Model{};
    model.shown_pc = before.shown_pc;
    model.excess_ms = before.excess_ms;
    model.look_pc = before.look_pc;
    model.look_offset = before.look_offset;
    model.seen_pc = before.seen_pc;
    model.set = true;
    model.value = model.shown = op.value;
    model.set_true = clock.true_ms;
    model.halted = op.halted;
    model.clean = clock.offset_ms == 0 && !behind;
    model.wrong_at_set = clock.offset_ms != 0 || behind;
    model.gain_ms = unseen;
    model.behind_kept = behind_kept;
}

// What is wrong with a reading, or nothing.
std::string judged(Model& model, const Clock& clock, const Reading& reading) {
    if (!model.set) return "";  // a board as delivered follows the PC's clock
    const std::int64_t r = reading.seconds;
    const std::int64_t w = model.value;
    const std::int64_t lived = (clock.true_ms - model.set_true) / kSecond;
    std::ostringstream out;
    out << "read " << r << ", set " << w << " " << lived << " s ago (may gain "
        << model.gain_ms / kSecond << " s): ";
    if (model.halted) {
        if (r == w && reading.halted) return "";
        return out.str() + "6. a halted clock moved or started";
    }
    if (reading.halted) return out.str() + "a running clock read halted";
    if (model.clean && r != w + lived) return out.str() + "1. not the setting plus the time since";
    if (r < model.shown) return out.str() + "2. went back from " + std::to_string(model.shown);
    const std::int64_t may_gain = (model.gain_ms + kSecond - 1) / kSecond;
    if (r > w + lived + may_gain) return out.str() + "3. gained time";
    const std::int64_t may_lose = (model.lost_ms + model.lag_ms + model.unkept_ms) / kSecond + 1;
    if (model.gain_ms == 0 && !model.wrong_at_set && r < w + lived - may_lose)
        return out.str() + "4. lost more than the PC's clock was behind (" +
               std::to_string(may_lose) + " s)";
    model.shown = r;
    return "";
}

void change_pc(Clock& clock, const Op& op) {
    switch (op.pc) {
        case Pc::right:
            clock.offset_ms = 0;
            break;
        case Pc::behind:
            clock.offset_ms = -op.amount;
            break;
        case Pc::ahead:
            clock.offset_ms = op.amount;
            break;
        case Pc::bios:
            clock.offset_ms = k2000Ms - clock.true_ms;
            break;
    }
}

std::string run_in(const std::string& state, const std::vector<Op>& ops,
                   std::vector<std::int64_t>* readings) {
    Clock clock;
    Model model;
    Programs programs(state, [&clock] { return clock.pc(); });
    for (std::size_t step = 0; step < ops.size(); ++step) {
        const Op& op = ops[step];
        const int program = programs.running() > 0 ? op.program % programs.running() : -1;
        const bool looks = op.kind != Kind::advance && op.kind != Kind::pc;
        if (looks && op.kind != Kind::launch && program < 0) continue;
        if (op.kind == Kind::launch && programs.running() >= kMostRunning) continue;
        // A read keeps what it saw once there is a file, a setting always;
        // an exit looks at nothing.
        if (looks && op.kind != Kind::exit)
            looked(model, clock, op.kind == Kind::set || (op.kind == Kind::read && model.set));
        switch (op.kind) {
            case Kind::advance:
                clock.true_ms += op.amount;
                break;
            case Kind::pc:
                change_pc(clock, op);
                if (model.set) pc_changed(model, clock.offset_ms);
                break;
            case Kind::launch:
                programs.launch();
                break;
            case Kind::exit:
                programs.exit(program);
                break;
            case Kind::set:
                programs.set(program, op.value, op.halted);
                setting(model, clock, op);
                break;
            case Kind::read: {
                const Reading reading = programs.read(program);
                if (readings != nullptr) readings->push_back(reading.seconds);
                if (const std::string bad = judged(model, clock, reading); !bad.empty())
                    return "step " + std::to_string(step + 1) + ": " + bad;
                break;
            }
        }
    }
    return "";
}

}  // namespace

std::vector<Op> random_sequence(unsigned seed) {
    std::mt19937_64 random(seed);
    const auto below = [&random](std::int64_t n) {
        return static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(n));
    };
    std::vector<Op> ops;
    while (ops.size() < kSteps) {
        const int program = static_cast<int>(below(kMostRunning));
        const std::int64_t roll = below(100);
        if (roll < 28) {
            ops.push_back(advance((below(8) == 0 ? below(3 * 24 * 3600) : below(90)) * kSecond));
        } else if (roll < 38) {
            const std::int64_t kind = below(10);
            ops.push_back(kind < 5   ? pc_right()
                          : kind < 8 ? pc_behind((1 + below(120)) * kMinute)
                          : kind < 9 ? pc_bios()
                                     : pc_ahead((1 + below(24 * 60)) * kMinute));
        } else if (roll < 50) {
            ops.push_back(launch());
        } else if (roll < 58) {
            ops.push_back(quit(program));
        } else if (roll < 70) {
            // A date of this century, far from its end.
            ops.push_back(set(program, below(90LL * 365 * 86400), below(10) == 0));
        } else {
            ops.push_back(read(program));
        }
    }
    return ops;
}

std::string run_sequence(const std::vector<Op>& ops, std::vector<std::int64_t>* readings) {
    static int count = 0;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("rtc-pile-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string failure = run_in((folder / "etat").string(), ops, readings);
    std::filesystem::remove_all(folder);
    return failure;
}

std::vector<Op> shrink(std::vector<Op> ops) {
    for (std::size_t i = 0; i < ops.size();) {
        std::vector<Op> shorter = ops;
        shorter.erase(shorter.begin() + static_cast<std::ptrdiff_t>(i));
        if (!run_sequence(shorter).empty()) {
            ops = shorter;
            i = 0;
        } else {
            ++i;
        }
    }
    return ops;
}

std::string describe(const std::vector<Op>& ops) {
    std::ostringstream out;
    int step = 0;
    for (const Op& op : ops) {
        out << "  " << ++step << ". ";
        switch (op.kind) {
            case Kind::advance:
                out << "advance(" << op.amount << ")";
                break;
            case Kind::pc:
                out << (op.pc == Pc::right    ? "pc_right()"
                        : op.pc == Pc::bios   ? "pc_bios()"
                        : op.pc == Pc::behind ? "pc_behind(" + std::to_string(op.amount) + ")"
                                              : "pc_ahead(" + std::to_string(op.amount) + ")");
                break;
            case Kind::launch:
                out << "launch()";
                break;
            case Kind::exit:
                out << "quit(" << op.program << ")";
                break;
            case Kind::set:
                out << "set(" << op.program << ", " << op.value << (op.halted ? ", true" : "")
                    << ")";
                break;
            case Kind::read:
                out << "read(" << op.program << ")";
                break;
        }
        out << "\n";
    }
    return out.str();
}

}  // namespace pile_modele
