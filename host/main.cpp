// rtc_host: a stand-in simulation host. It loads the clock block as a host
// does, reads its pin layout, and drives one run against the virtual IOW24
// or a real one. It speaks French to the person at the keyboard.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/check/controle_cablage.h"
#include "host/commun/variables.h"
#include "host/load/chargement.h"
#include "host/load/relais.h"
#include "host/load/surveillance.h"
#include "host/salle/rapport_verification.h"
#include "host/salle/vue_salle.h"
#include "host/script/introuvable.h"
#include "host/script/niveaux.h"
#include "host/script/script.h"
#include "host/script/table.h"
#include "host/script/valeurs.h"
#include "host/systeme/horloge.h"
#include "host/systeme/systeme.h"
#include "platform/citation.h"
#include "platform/console.h"
#include "platform/decodage.h"
#include "platform/lettres.h"

namespace {

// Exit statuses, documented in the help.
constexpr int kExitUsage = 2;
constexpr int kExitLibrary = 3;
constexpr int kExitStalled = 5;
constexpr int kExitOutput = 6;
constexpr double kHigh = 5.0;
// A million steps of eight values fit well within this.
constexpr std::size_t kMostScriptBytes = 100 * 1000 * 1000;
// A teacher's list of copies names a few folders.
constexpr std::size_t kMostCopiesBytes = 64 * 1000;

using host::Block;

// Every line that may quote what a user typed or named goes out escaped.
void say(const char* start, const std::string& text) {
    texte::ecrire_format(stderr, "%s%s\n", start, texte::cite_path(text).c_str());
}

int error(int status, const std::string& message, const std::string& hint = "") {
    say("Erreur : ", message);
    if (!hint.empty()) say("", hint);
    return status;
}

// A mistake in the options: the help has the answer.
int usage_error(const std::string& message) {
    error(kExitUsage, message);
    texte::ecrire_format(stderr, "Essayez 'rtc_host --help'.\n");
    return kExitUsage;
}

// The steps of --set and --read, by the block's own pin names; "now" is
// filled in just before its step.
bool plain_steps(const host::Options& o, const Block& block, host::Steps& steps,
                 host::BeforeStep& before_step, std::string& missing) {
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
    const auto write = [=](const host::Moment& m, std::vector<double>& in) {
        in[sec] = m.second, in[min] = m.minute, in[heu] = m.hour;
        in[dat] = m.day, in[moi] = m.month, in[ann] = m.year;
    };
    if (o.set_now || o.set_at) {
        std::vector<double> in(block.inputs.size(), 0.0);
        in[init] = kHigh;
        write(o.set_at.value_or(host::Moment{}), in);
        steps.push_back(in);
    }
    if (o.set_now)
        before_step = [write](std::size_t step, std::vector<double>& in) {
            if (step == 0) write(host::local_now(), in);
        };
    std::vector<double> read(block.inputs.size(), 0.0);
    read[rd] = kHigh;
    steps.insert(steps.end(), static_cast<std::size_t>(o.read_steps), read);
    return true;
}

std::string action_of(const Block& block, const std::vector<double>& in) {
    std::string action = "-";
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (!host::is_high(in[i])) continue;
        if (block.inputs[i] == "init") return "écriture";
        if (block.inputs[i] == "RD") action = "lecture";
    }
    return action;
}

constexpr int kSecondMs = 1000;

// The steps that read the clock: "RD" high and "init" not.
std::size_t reads_of(const Block& block, const host::Steps& steps) {
    std::size_t reads = 0;
    for (const std::vector<double>& in : steps)
        reads += action_of(block, in) == "lecture";
    return reads;
}

// Whether all that was written to stdout reached it.
bool output_good() { return std::fflush(stdout) == 0 && std::ferror(stdout) == 0; }

// What was printed is the program's result: a run whose output was lost
// has failed, whatever it did.
int finish_output(int status) {
    if (output_good()) return status;
    texte::ecrire_format(
        stderr, "Erreur : impossible d'écrire les résultats sur la sortie standard (%s).\n",
        std::strerror(errno));
    return kExitOutput;
}

// One simulation run, a line of outputs after each step; it stops early,
// closing the device as a host does, when the outputs cannot be written.
void run(const Block& block, host::Steps& steps, host::Format format, int period_ms,
         const host::BeforeStep& before_step, bool header) {
    if (header)
        texte::ecrire_format(stdout, "%s\n", host::header_line(format, block.outputs).c_str());
    std::vector<double> out(block.outputs.size(), host::kNotDriven);
    host::entering("CSimStart", 0);
    block.start(nullptr, nullptr, nullptr);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (i > 0) host::wait_ms(period_ms);
        host::entering("CCalculate", static_cast<int>(i + 1));
        if (before_step) before_step(i, steps[i]);
        block.calculate(steps[i].data(), out.data(), nullptr);
        const std::string line =
            host::step_line(format, static_cast<int>(i + 1), action_of(block, steps[i]), out);
        texte::ecrire_format(stdout, "%s\n", line.c_str());
        if (!output_good()) break;
    }
    host::entering("CSimStop", 0);
    block.stop(nullptr, nullptr, nullptr);
}

// The IOW24 stopped answering in a run: said, and the end.
void stalled(const host::Stall& stall) {
    texte::ecrire_format(
        stderr,
        "Erreur : l'IOW24 ne répond plus : %s. Débranchez l'IOW24, rebranchez-le, puis "
        "relancez ; si cela revient, lancez rtc_host --check.\n",
        host::describe(stall).c_str());
    host::end_process(kExitStalled);
}

// The form of the results when none is asked for: French Excel's when they
// go to a .csv file ("> res.csv"), which Excel then opens in columns.
host::Format format_for(const host::Options& o, host::Format otherwise) {
    if (o.format) return *o.format;
    return texte::ends_with_letters(host::standard_output_file(), ".csv") ? host::Format::excel
                                                                          : otherwise;
}

// The steps the options ask for, and the form of their results; the exit
// status and message when wrong.
int steps_of(const host::Options& o, const host::Loaded& loaded, host::Steps& steps,
             host::BeforeStep& before_step, host::Format& format) {
    std::string why;
    if (o.script.empty()) {
        format = format_for(o, host::Format::table);
        if (plain_steps(o, loaded.block, steps, before_step, why)) return 0;
        return error(kExitLibrary, loaded.block_path + " n'a pas d'entrée nommée " + why);
    }
    std::string text;
    if (!host::read_file(o.script, kMostScriptBytes, text, why)) {
        const std::string misnamed = host::misnamed_file(o.script);
        return error(kExitUsage, "impossible de lire le script " + o.script + " : " + why,
                     misnamed.empty() ? host::where_to_find(o.script) : misnamed);
    }
    // "rtc_host --script essai.csv > essai.csv": the shell empties the file
    // before the program starts.
    if (text.empty())
        return error(kExitUsage, "le script " + o.script + " est vide (0 octet).",
                     "S'il contenait des pas, il a été vidé : une commande comme « rtc_host "
                     "--script essai.csv > essai.csv » vide le fichier avant que rtc_host ne le "
                     "lise. Envoyez les résultats dans un autre fichier.");
    host::Script script = host::parse_script(text, loaded.block.inputs);
    if (!script.error.empty()) return error(kExitUsage, o.script + " : " + script.error);
    // Run all the same, as a simulator would: the chip keeps what it gets.
    for (const std::string& line : host::values_the_clock_cannot_hold(script, loaded.block.inputs))
        say("Attention : ", o.script + " : " + line);
    if (const std::string idle = host::nothing_high(script, loaded.block.inputs); !idle.empty())
        say("Attention : ", o.script + " : " + idle);
    for (const std::string& line : host::levels_that_mislead(script, loaded.block.inputs))
        say("Attention : ", o.script + " : " + line);
    steps = std::move(script.steps);
    // Results in the form the script came in, French Excel's for its forms,
    // for a file or a program; read in a console, the table.
    const host::Format form = script.separator == ',' ? host::Format::csv : host::Format::excel;
    format = format_for(o, host::output_is_console() ? host::Format::table : form);
    return 0;
}

// Results added to a .csv file that holds some already (">> res.csv"):
// rows under its header, which is not written again, so that Excel opens
// one table. Empty when the header is to be written; a refusal otherwise,
// when the file's columns are not the results'.
std::string adding_to(host::Format format, const Block& block, bool& header) {
    header = true;
    if (format == host::Format::table ||
        !texte::ends_with_letters(host::standard_output_file(), ".csv"))
        return "";
    std::string start = host::appended_output_start();
    if (start.empty()) return "";
    const auto bare = [](std::string line) {
        if (line.rfind(host::kExcelMark, 0) == 0) line.erase(0, std::strlen(host::kExcelMark));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    };
    const std::string ours = bare(host::header_line(format, block.outputs));
    header = false;
    if (bare(start) == ours) return "";
    return texte::cite_path(host::standard_output_file()) + " commence par « " +
           texte::cite(bare(start), 60) + " », pas par l'en-tête des résultats « " + ours +
           " » : rien n'y est ajouté ; écrivez les résultats dans un autre fichier";
}

// The teacher's view of the exercise for one copy of the virtual IOW24:
// what the check keeps from students.
int exercise_of(const host::Options& o) {
    host::Loaded loaded;
    const host::LoadError failed = host::load(o, loaded);
    if (!failed.message.empty()) {
        host::unload(loaded);
        return error(kExitLibrary, failed.message, failed.hint);
    }
    const std::string library = host::library_path(loaded.device);
    const host::SettingFn setting = host::virtual_setting(loaded);
    const std::string line =
        setting == nullptr ? library + " n'est pas l'IOW24 virtuel : aucun exercice n'y est joué."
                           : "Exercice de l'IOW24 virtuel " + library + " : " + setting() + ".";
    texte::ecrire_format(stdout, "%s\n", texte::cite_path(line).c_str());
    host::unload(loaded);
    return 0;
}

// The copies a teacher's file names, one a line: a folder (the simulator's,
// where the virtual IOW24 was copied) or the library itself; blank lines
// and lines that begin with "#" name none.
std::vector<std::string> copies_named(const std::string& text) {
    std::vector<std::string> copies;
    const std::string plain = texte::en_utf8(text) + "\n";
    for (std::size_t at = 0, end; (end = plain.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = plain.substr(at, end - at);
        const std::size_t first = line.find_first_not_of(" \t\r");
        const std::size_t last = line.find_last_not_of(" \t\r\"");
        if (first == std::string::npos || line[first] == '#') continue;
        std::string copy = line.substr(first, last + 1 - first);
        if (!copy.empty() && copy[0] == '"') copy.erase(0, 1);
        copies.push_back(host::is_folder(copy) ? copy + host::kPathSeparator + host::kDeviceFile
                                               : copy);
    }
    return copies;
}

// The teacher's view: the copy given (or the package's), then each copy the
// file of --copies names.
int exercise(const host::Options& o) {
    int status = exercise_of(o);
    if (!o.copies.empty()) {
        std::string text, why;
        if (!host::read_file(o.copies, kMostCopiesBytes, text, why))
            return error(kExitUsage, o.copies + " : " + why);
        for (const std::string& copy : copies_named(text)) {
            host::Options each = o;
            each.device = copy;
            status = std::max(status, exercise_of(each));
        }
    }
    return status == 0 ? finish_output(0) : status;
}

int version(const host::Options& o) {
    host::Loaded loaded;
    const host::LoadError failed = host::load(o, loaded);
    texte::ecrire(stdout, host::version_text(loaded));
    const int status = finish_output(0);
    host::unload(loaded);
    if (!failed.message.empty()) return error(kExitLibrary, failed.message, failed.hint);
    return status;
}

}  // namespace

namespace {

// What is said before anything runs: a closed output (the status, or 0),
// a simulated clock, variables with blanks in their names.
int before_anything(const host::ClosedStreams& closed, const host::Options& o) {
    // Results, or the trace asked for, with nowhere to go: nothing is run,
    // so that nothing is changed for output no one will see.
    if (closed.output || (closed.error && o.trace))
        return error(kExitOutput,
                     std::string(closed.output ? "la sortie standard" : "la sortie d'erreur") +
                         " est fermée : les résultats ne peuvent pas être écrits");
    // Left set in a window, it would change every wait and what the check
    // reports, unseen.
    if (host::clock_simulated())
        texte::ecrire(stderr,
                      "rtc_host : RTC_HOST_CLOCK=simulated : l'horloge de rtc_host est simulée ; "
                      "les attentes entre les pas ne prennent pas de temps.\n");
    for (const std::string& line : host::spaced_variables(host::environment_names()))
        say("Attention : ", line);
    return 0;
}

// The libraries loaded and the device's calls routed through the host, as
// the options ask; the status, or 0.
int load_and_route(const host::Options& o, host::Loaded& loaded) {
    const host::LoadError failed = host::load(o, loaded);
    if (!failed.message.empty()) return error(kExitLibrary, failed.message, failed.hint);
    std::string why;
    if (!host::route_device_calls(loaded.library, loaded.functions, o.trace, why))
        return error(kExitLibrary, why);
    if (o.console_alerts && !host::route_alerts_to_console(loaded.library, why))
        return error(kExitLibrary, why);
    if (o.console_alerts) host::keep_device_boxes_on_console(loaded.device);
    // Words beside the program count for nothing when the virtual IOW24
    // loaded is elsewhere (the package's is in its folder).
    if (const std::string stray = host::stray_words_file(loaded); !stray.empty())
        say("Attention : ", stray);
    // The virtual IOW24's close writes its clock's file to the disk: no
    // IOW24 is waited for there, and a slow disk is no IOW24 that stopped
    // answering.
    host::bound_closes(!host::virtual_device(loaded));
    // Nor is its files' work, or a box of its own waiting for the user, an
    // IOW24 that stopped answering.
    host::not_counted_while(host::virtual_busy(loaded));
    return 0;
}

// A run of the steps, each one's outputs printed; the status.
int run_steps(const host::Options& o, const host::Loaded& loaded, host::Steps& steps,
              const host::BeforeStep& before_step, host::Format format) {
    // Reads faster than the clock counts give the same time twice: not a
    // frozen clock, which a student would take it for.
    if (o.period_ms < kSecondMs && reads_of(loaded.block, steps) > 1)
        texte::ecrire_format(stderr,
                             "Remarque : l'horloge compte en secondes entières ; des lectures à "
                             "moins d'une seconde d'écart (--period-ms %d) peuvent donner la même "
                             "heure.\n",
                             o.period_ms);
    bool header = true;
    if (const std::string refused = adding_to(format, loaded.block, header); !refused.empty())
        return error(kExitOutput, refused);
    host::start_watchdog(o.timeout_ms, stalled);
    run(loaded.block, steps, format, o.period_ms, before_step, header);
    host::stop_watchdog();
    return 0;
}

// The check's findings, for the teacher's view of the room this PC names;
// nothing of it is printed.
std::function<void(const std::vector<host::Finding>&)> report_to_the_room(
    const host::Loaded& loaded) {
    const host::SettingFn bench = host::virtual_bench(loaded);
    host::CheckedBench checked{host::virtual_device(loaded), "", host::block_version(loaded),
                               host::device_version(loaded)};
    return [bench, checked](const std::vector<host::Finding>& findings) mutable {
        if (bench != nullptr) checked.facts = bench();
        host::report_check(findings, checked);
    };
}

int run_program(int argc, char** argv) {
    const host::ClosedStreams closed = host::keep_standard_streams();
    const host::Parsed parsed = host::parse_arguments(host::arguments(argc, argv));
    if (!parsed.error.empty()) return usage_error(parsed.error);
    const host::Options& o = parsed.options;
    if (const int status = before_anything(closed, o); status != 0) return status;
    if (o.help) {
        texte::ecrire(stdout, host::usage("rtc_host"));
        return finish_output(0);
    }
    if (o.version) return version(o);
    if (o.exercise) return exercise(o);
    if (o.room) return finish_output(host::show_room(o));

    host::Loaded loaded;
    if (const int status = load_and_route(o, loaded); status != 0) return status;
    host::Steps steps;
    host::BeforeStep before_step;
    host::Format format = host::Format::table;
    if (const int status = steps_of(o, loaded, steps, before_step, format); status != 0)
        return status;
    const int status =
        o.check
            ? host::check_wiring(loaded.block, std::move(steps),
                                 {o.period_ms,
                                  o.timeout_ms,
                                  format,
                                  {host::library_path(loaded.device), host::virtual_device(loaded),
                                   o.device, o.hardware, host::packaged_virtual_device(loaded)},
                                  before_step,
                                  report_to_the_room(loaded)})
            : run_steps(o, loaded, steps, before_step, format);
    host::unload(loaded);
    return status == kExitOutput ? status : finish_output(status);
}

}  // namespace

int main(int argc, char** argv) {
    const bool alone = host::started_alone();
    const int status = run_program(argc, argv);
    // Double-clicked in Explorer: its window would close before anything
    // could be read.
    if (alone) {
        texte::ecrire(
            stderr,
            "\nrtc_host s'utilise depuis une invite de commandes (voyez LISEZMOI.txt), ou par les "
            "fichiers .cmd du paquet : double-cliquez sur « Essayer sans materiel.cmd » ou « "
            "Verifier le cablage.cmd ».\nAppuyez sur une touche pour fermer cette fenêtre.\n");
        host::wait_for_a_key();
    }
    return status;
}
