// rtc_host: a stand-in simulation host. It loads the clock block as a host
// does, reads its pin layout, and drives one run against the virtual IOW24
// or a real one.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/bloc.h"
#include "host/options.h"
#include "host/relais.h"
#include "host/script.h"
#include "host/systeme.h"
#include "host/table.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitLibrary = 3;
constexpr double kHigh = 5.0;
constexpr double kThreshold = 2.5;
constexpr int kMaxPins = 64;
constexpr std::size_t kNameBuffer = 64;

using host::Block;

int error(int status, const std::string& message) {
    std::fprintf(stderr, "Error: %s\n", message.c_str());
    if (status == kExitUsage) std::fprintf(stderr, "Try 'rtc_host --help'.\n");
    return status;
}

std::string default_device() {
    const std::string folder = host::program_folder();
    const std::string own_folder = folder + "virtuel/" + host::kDeviceFile;
    return host::file_exists(own_folder) ? own_folder : folder + host::kDeviceFile;
}

// Adds a name to a comma-separated list of what is missing.
void add_missing(std::string& missing, const char* name) {
    if (!missing.empty()) missing += ", ";
    missing += name;
}

template <typename Fn>
void entry(void* library, const char* name, Fn& function, std::string& missing) {
    function = reinterpret_cast<Fn>(host::find_function(library, name));
    if (function == nullptr) add_missing(missing, name);
}

std::vector<std::string> pin_names(PinNameFn name_of, int count);

// Looks the entry points up by name, as a host does, and reads the pin
// layout; what is wrong with the library otherwise.
std::string look_up(void* library, Block& block) {
    std::string missing;
    entry(library, "NumInputs", block.num_inputs, missing);
    entry(library, "NumOutputs", block.num_outputs, missing);
    entry(library, "GetInputName", block.input_name, missing);
    entry(library, "GetOutputName", block.output_name, missing);
    entry(library, "CSimStart", block.start, missing);
    entry(library, "CSimStop", block.stop, missing);
    entry(library, "CCalculate", block.calculate, missing);
    if (!missing.empty()) return "lacks the entry points " + missing;
    const int inputs = block.num_inputs(), outputs = block.num_outputs();
    if (inputs < 1 || inputs > kMaxPins || outputs < 0 || outputs > kMaxPins) {
        return "reports " + std::to_string(inputs) + " inputs and " + std::to_string(outputs) +
               " outputs";
    }
    block.inputs = pin_names(block.input_name, inputs);
    block.outputs = pin_names(block.output_name, outputs);
    return "";
}

std::vector<std::string> pin_names(PinNameFn name_of, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[kNameBuffer] = {};
        name_of(static_cast<std::uint32_t>(i), name);
        name[kNameBuffer - 1] = '\0';
        names.emplace_back(name);
    }
    return names;
}

// The steps of --set and --read, by the block's own pin names.
bool plain_steps(const host::Options& o, const Block& block,
                 std::vector<std::vector<double>>& steps, std::string& problem) {
    auto index = [&](const char* name) {
        for (std::size_t i = 0; i < block.inputs.size(); ++i) {
            if (block.inputs[i] == name) return static_cast<int>(i);
        }
        add_missing(problem, name);
        return -1;
    };
    const int rd = index("RD"), init = index("init"), sec = index("sec"), min = index("min"),
              heu = index("heu"), dat = index("dat"), moi = index("moi"), ann = index("ann");
    if (!problem.empty()) return false;
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
        if (block.inputs[i] == "init") return "set";
        if (block.inputs[i] == "RD") action = "read";
    }
    return action;
}

// One simulation run, a line of outputs after each step.
void run(const Block& block, std::vector<std::vector<double>>& steps, host::Format format,
         int period_ms) {
    std::printf("%s\n", host::header_line(format, block.outputs).c_str());
    std::fflush(stdout);
    std::vector<double> out(block.outputs.size(), host::kNotDriven);
    block.start(nullptr, nullptr, nullptr);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i > 0 && period_ms > 0) host::sleep_ms(period_ms);
        block.calculate(steps[i].data(), out.data(), nullptr);
        const std::string line =
            host::step_line(format, static_cast<int>(i + 1), action_of(block, steps[i]), out);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    block.stop(nullptr, nullptr, nullptr);
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

    std::string why;
    const std::string device_path = o.device.empty() ? default_device() : o.device;
    void* device = host::load_library(device_path, why);
    if (device == nullptr)
        return error(kExitLibrary, "cannot load the device library " + device_path + ": " + why);
    host::DeviceFunctions functions{};
    if (!host::find_device_functions(device, functions, why)) {
        return error(kExitLibrary, "not a device library: " + device_path + ": " + why);
    }
    const std::string block_path =
        o.block.empty() ? host::program_folder() + host::kBlockFile : o.block;
    void* library = host::load_library(block_path, why);
    if (library == nullptr)
        return error(kExitLibrary, "cannot load the block " + block_path + ": " + why);

    Block block{};
    const std::string wrong = look_up(library, block);
    if (!wrong.empty()) return error(kExitLibrary, block_path + " " + wrong);

    if (!host::route_device_calls(library, functions, o.trace, why))
        return error(kExitLibrary, why);
    if (o.console_alerts && !host::route_alerts_to_console(library, why))
        return error(kExitLibrary, why);

    host::Steps steps;
    if (!o.script.empty()) {
        std::ifstream file(o.script, std::ios::binary);
        if (!file) return error(kExitUsage, "cannot read the script " + o.script);
        std::stringstream text;
        text << file.rdbuf();
        host::Script script = host::parse_script(text.str(), block.inputs);
        if (!script.error.empty()) return error(kExitUsage, o.script + ": " + script.error);
        steps = std::move(script.steps);
    } else if (!plain_steps(o, block, steps, why)) {
        return error(kExitLibrary, block_path + " has no input pin named " + why);
    }

    int status = 0;
    if (o.check) {
        status = host::check_wiring(block, std::move(steps), o.period_ms,
                                    o.format.value_or(host::Format::table));
    } else {
        run(block, steps,
            o.format.value_or(o.script.empty() ? host::Format::table : host::Format::csv),
            o.period_ms);
    }
    host::unload_library(library);
    host::unload_library(device);
    return status;
}
