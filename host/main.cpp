// rtc_host: a stand-in simulation host. It loads the clock block as a host
// does, reads its pin layout, and drives one run against the virtual IOW24
// or a real one. It speaks French to the person at the keyboard.
#include <cstdio>

#include "host/chargement.h"
#include "host/horloge.h"
#include "host/relais.h"
#include "host/script.h"
#include "host/surveillance.h"
#include "host/systeme.h"
#include "host/table.h"

namespace {

// Exit statuses, documented in the help.
constexpr int kExitUsage = 2;
constexpr int kExitLibrary = 3;
constexpr int kExitStalled = 5;
constexpr double kHigh = 5.0;
constexpr double kThreshold = 2.5;

using host::Block;

int error(int status, const std::string& message, const std::string& hint = "") {
    std::fprintf(stderr, "Erreur : %s\n", message.c_str());
    if (!hint.empty()) std::fprintf(stderr, "%s\n", hint.c_str());
    if (status == kExitUsage) std::fprintf(stderr, "Essayez 'rtc_host --help'.\n");
    return status;
}

// The steps of --set and --read, by the block's own pin names.
bool plain_steps(const host::Options& o, const Block& block, host::Steps& steps,
                 std::string& missing) {
    auto index = [&](const char* name) {
        for (std::size_t i = 0; i < block.inputs.size(); ++i) {
            if (block.inputs[i] == name) return static_cast<int>(i);
        }
        host::add_missing(missing, name);
        return -1;
    };
    const int rd = index("RD"), init = index("init"), sec = index("sec"), min = index("min"),
              heu = index("heu"), dat = index("dat"), moi = index("moi"), ann = index("ann");
    if (!missing.empty()) return false;
    if (o.set_now || o.set_at) {
        const host::Moment m = o.set_at ? *o.set_at : host::local_now();
        std::vector<double> in(block.inputs.size(), 0.0);
        in[init] = kHigh;
        in[sec] = m.second, in[min] = m.minute, in[heu] = m.hour;
        in[dat] = m.day, in[moi] = m.month, in[ann] = m.year;
        steps.push_back(in);
    }
    std::vector<double> read(block.inputs.size(), 0.0);
    read[rd] = kHigh;
    steps.insert(steps.end(), static_cast<std::size_t>(o.read_steps), read);
    return true;
}

std::string action_of(const Block& block, const std::vector<double>& in) {
    std::string action = "-";
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (!(in[i] > kThreshold)) continue;
        if (block.inputs[i] == "init") return "écriture";
        if (block.inputs[i] == "RD") action = "lecture";
    }
    return action;
}

// One simulation run, a line of outputs after each step.
void run(const Block& block, host::Steps& steps, host::Format format, int period_ms) {
    std::printf("%s\n", host::header_line(format, block.outputs).c_str());
    std::fflush(stdout);
    std::vector<double> out(block.outputs.size(), host::kNotDriven);
    host::entering("CSimStart", 0);
    block.start(nullptr, nullptr, nullptr);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i > 0) host::wait_ms(period_ms);
        host::entering("CCalculate", static_cast<int>(i + 1));
        block.calculate(steps[i].data(), out.data(), nullptr);
        const std::string line =
            host::step_line(format, static_cast<int>(i + 1), action_of(block, steps[i]), out);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    host::entering("CSimStop", 0);
    block.stop(nullptr, nullptr, nullptr);
}

// The IOW24 stopped answering in a run: said, and the end.
void stalled(const host::Stall& stall) {
    std::fprintf(stderr, "Erreur : l'IOW24 ne répond plus : %s.\n", host::describe(stall).c_str());
    host::end_process(kExitStalled);
}

bool read_file(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    const bool good = std::ferror(file) == 0;
    std::fclose(file);
    return good;
}

// The steps the options ask for; the exit status and message when wrong.
int steps_of(const host::Options& o, const host::Loaded& loaded, host::Steps& steps) {
    std::string why;
    if (o.script.empty()) {
        if (plain_steps(o, loaded.block, steps, why)) return 0;
        return error(kExitLibrary, loaded.block_path + " n'a pas d'entrée nommée " + why);
    }
    std::string text;
    if (!read_file(o.script, text))
        return error(kExitUsage, "impossible de lire le script " + o.script);
    host::Script script = host::parse_script(text, loaded.block.inputs);
    if (!script.error.empty()) return error(kExitUsage, o.script + " : " + script.error);
    steps = std::move(script.steps);
    return 0;
}

int version(const host::Options& o) {
    host::Loaded loaded;
    const host::LoadError failed = host::load(o, loaded);
    std::fputs(host::version_text(loaded).c_str(), stdout);
    std::fflush(stdout);
    host::unload(loaded);
    return failed.message.empty() ? 0 : error(kExitLibrary, failed.message, failed.hint);
}

}  // namespace

int main(int argc, char** argv) {
    host::use_utf8_console();
    const host::Parsed parsed =
        host::parse_arguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) return error(kExitUsage, parsed.error);
    const host::Options& o = parsed.options;
    if (o.help) {
        std::fputs(host::usage("rtc_host").c_str(), stdout);
        return 0;
    }
    if (o.version) return version(o);

    host::Loaded loaded;
    const host::LoadError failed = host::load(o, loaded);
    if (!failed.message.empty()) return error(kExitLibrary, failed.message, failed.hint);

    std::string why;
    if (!host::route_device_calls(loaded.library, loaded.functions, o.trace, why))
        return error(kExitLibrary, why);
    if (o.console_alerts && !host::route_alerts_to_console(loaded.library, why))
        return error(kExitLibrary, why);

    host::Steps steps;
    if (const int status = steps_of(o, loaded, steps); status != 0) return status;
    int status = 0;
    if (o.check) {
        status =
            host::check_wiring(loaded.block, std::move(steps),
                               {o.period_ms, o.timeout_ms, o.format.value_or(host::Format::table),
                                host::library_path(loaded.device), host::virtual_device(loaded)});
    } else {
        host::start_watchdog(o.timeout_ms, stalled);
        run(loaded.block, steps,
            o.format.value_or(o.script.empty() ? host::Format::table : host::Format::csv),
            o.period_ms);
        host::stop_watchdog();
    }
    host::unload(loaded);
    return status;
}
