#include "host/check/constats.h"

#include <cstdio>

#include "host/commun/protocole.h"

namespace host {

namespace {

using Report = std::array<std::uint8_t, 8>;
using Registers = std::array<std::uint8_t, 3>;

constexpr int kSecondsPerDay = 86400;
// The chip keeps the year within this century.
constexpr int kCentury = 2000;
// The seconds read at the first change after a good read: one more.
constexpr int kAdvance = 1;

// A request that expects a reply, and that reply.
struct Transfer {
    Report request;
    bool answered;  // a whole reply with its status bit clear
    Report reply;
    std::uint32_t got;  // bytes of the reply the read brought
};

// The transfers of a journal, each write paired with the read after it.
// Mode switches get no reply.
std::vector<Transfer> transfers(const Journal& journal) {
    std::vector<Transfer> result;
    const Exchange* request = nullptr;
    for (const Exchange& e : journal) {
        if (e.call == Exchange::Call::write) {
            request = e.report[0] == kModeSwitch ? nullptr : &e;
        } else if (e.call == Exchange::Call::read && request != nullptr) {
            const bool answered = e.result == kReportSize && (e.report[1] & kFailed) == 0;
            result.push_back({request->report, answered, e.report, e.result});
            request = nullptr;
        }
    }
    return result;
}

// One step with "RD" high: the register pointer set to the time, its three
// registers read, then the same for the date.
struct Reading {
    bool made = false;
    bool pointers_answered = false;
    bool data_answered = false;
    std::uint32_t cut_short = 0;  // bytes of a reply the IOW24 handed back short; 0: none
    bool refused = false;         // a reply, whole or short, with its status bit set
    Registers time{}, date{};
};

Reading reading_of(const Journal& journal) {
    const std::vector<Transfer> t = transfers(journal);
    Reading r;
    const auto points_at = [](const Transfer& x, std::uint8_t reg) {
        return x.request[0] == kI2cWrite && x.request[2] == kChipWrite && x.request[3] == reg;
    };
    if (t.size() != 4 || !points_at(t[0], kTimeRegister) || !points_at(t[2], kDateRegister))
        return r;
    r.made = true;
    r.pointers_answered = t[0].answered && t[2].answered;
    r.data_answered = t[1].answered && t[3].answered;
    for (const Transfer& x : t) {
        if (x.got > 0 && x.got < kReportSize && r.cut_short == 0) r.cut_short = x.got;
        // The status is byte 1: a reply cut short may still bring it.
        if (x.got >= 2 && (x.reply[1] & kFailed) != 0) r.refused = true;
    }
    for (std::size_t i = 0; i < r.time.size(); ++i) {
        r.time[i] = t[1].reply[2 + i];
        r.date[i] = t[3].reply[2 + i];
    }
    return r;
}

bool device_found(const Journal& start) {
    for (const Exchange& e : start)
        if (e.call == Exchange::Call::open) return e.result != 0;
    return false;
}

bool i2c_mode_taken(const Journal& start) {
    for (const Exchange& e : start) {
        if (e.call == Exchange::Call::write && e.report[0] == kModeSwitch && e.report[1] == kModeOn)
            return e.result == kReportSize;
    }
    return false;
}

int decode(std::uint8_t bcd) { return (bcd >> 4) * 10 + (bcd & 0x0F); }

// A field in range and written in valid BCD.
bool field_valid(std::uint8_t field, int first, int last) {
    return (field & 0x0F) <= 9 && decode(field) >= first && decode(field) <= last;
}

bool twelve_hour(const Registers& time) { return (time[2] & kTwelveHour) != 0; }

int hour_of_day(std::uint8_t hours) {
    if ((hours & kTwelveHour) == 0) return decode(hours & 0x3F);
    return decode(hours & 0x1F) % 12 + ((hours & kPm) != 0 ? 12 : 0);
}

int seconds_of_day(const Registers& time) {
    return hour_of_day(time[2]) * 3600 + decode(time[1] & 0x7F) * 60 + decode(time[0] & 0x7F);
}

// Seconds (less the halt bit), minutes, hours in their mode; day, month,
// year within the century.
bool valid(const Registers& time, const Registers& date) {
    const bool hours =
        twelve_hour(time) ? field_valid(time[2] & 0x1F, 1, 12) : field_valid(time[2] & 0x3F, 0, 23);
    if (!hours || !field_valid(time[0] & 0x7F, 0, 59) || !field_valid(time[1], 0, 59) ||
        !field_valid(date[1], 1, 12) || !field_valid(date[2], 0, 99))
        return false;
    return field_valid(date[0], 1, days_in_month(decode(date[1]), kCentury + decode(date[2])));
}

std::string hex(const Registers& r) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", r[0], r[1], r[2]);
    return text;
}

std::string moment(const Registers& time, const Registers& date) {
    char text[64];
    const int h = hour_of_day(time[2]);
    if (twelve_hour(time)) {
        std::snprintf(text, sizeof text, "%d:%02d:%02d %s", (h + 11) % 12 + 1, decode(time[1]),
                      decode(time[0]), h < 12 ? "AM" : "PM");
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, decode(time[1]), decode(time[0]));
    }
    char day[32];
    std::snprintf(day, sizeof day, " le %02d/%02d/%d", decode(date[0]), decode(date[1]),
                  kCentury + decode(date[2]));
    return std::string(text) + day;
}

// The most seconds a running clock can show between two reads this far
// apart: one per second boundary the interval can cross, the wait's own
// lateness allowed for.
int most_advance(int gap_ms) {
    constexpr int kLatenessMs = 100;
    return (gap_ms + kLatenessMs) / 1000 + 1;
}

// Tenths of a second; shorter intervals in milliseconds, never "0,0 s".
std::string seconds_text(int ms) {
    char text[32];
    if (ms >= 100)
        std::snprintf(text, sizeof text, "%d,%d s", ms / 1000, ms % 1000 / 100);
    else if (ms >= 1)
        std::snprintf(text, sizeof text, "%d ms", ms);
    else
        std::snprintf(text, sizeof text, "moins d'une milliseconde");
    return text;
}

const char* word(Verdict verdict) {
    switch (verdict) {
        case Verdict::ok:
            return "OK";
        case Verdict::fault:
            return "DEFAUT";
        default:
            return "INCONNU";
    }
}

std::string csv_field(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

bool any_fault(const std::vector<Finding>& findings) {
    for (const Finding& f : findings)
        if (f.verdict == Verdict::fault) return true;
    return false;
}

}  // namespace

void note_first_read(CheckRun& run, std::int64_t read_ms) {
    run.first_read_ms = run.previous_read_ms = read_ms;
}

void note_later_read(CheckRun& run, std::int64_t read_ms) {
    run.wait_ms = static_cast<int>(read_ms - run.first_read_ms);
    run.gap_ms = static_cast<int>(read_ms - run.previous_read_ms);
    run.previous_read_ms = read_ms;
}

std::optional<std::array<std::uint8_t, 3>> time_read(const Journal& journal) {
    const Reading r = reading_of(journal);
    if (!r.made || !r.pointers_answered || !r.data_answered) return std::nullopt;
    return r.time;
}

bool worth_a_second_read(const CheckRun& run) {
    const Reading r = reading_of(run.first_read);
    return device_found(run.start) && i2c_mode_taken(run.start) && r.made && r.pointers_answered &&
           r.data_answered && (r.time[0] & kClockHalt) == 0 && valid(r.time, r.date);
}

// The command that sets the clock and checks again, on the board that was
// checked: without the run's --device it would set another one.
std::string set_and_check(const CheckRun& run) {
    if (run.bench.device.empty()) return "rtc_host --set now --check";
    const bool spaces = run.bench.device.find(' ') != std::string::npos;
    return "rtc_host --device " + (spaces ? "\"" + run.bench.device + "\"" : run.bench.device) +
           " --set now --check";
}

// What one finding judged: whether it is good, and what to say either way.
struct Judged {
    bool good;
    std::string ok;
    std::string fault;
};

Judged library_judged(const CheckRun& run) {
    const Bench& bench = run.bench;
    return {
        !(bench.hardware && bench.virtual_device),
        bench.library + (bench.virtual_device ? " : l'IOW24 virtuel de rtc_iow24, pas du matériel."
                                              : " : pas l'IOW24 virtuel."),
        bench.library +
            " : c'est l'IOW24 virtuel de rtc_iow24, pas la bibliothèque du fabricant ; aucun "
            "matériel ne peut être vérifié avec elle. " +
            (bench.packaged
                 ? std::string("C'est celle du paquet, à garder : pour le matériel, donnez "
                               "--device iowkit.dll (comme « Verifier le cablage.cmd »), pour "
                               "que Windows trouve la vraie iowkit.dll.")
                 : std::string("Supprimez cette copie, pour que Windows trouve l'iowkit.dll "
                               "du fabricant, puis relancez la vérification."))};
}

Judged usb_judged(const CheckRun& run) {
    return {device_found(run.start), "trouvé.",
            "introuvable. Vérifiez le câble USB, que l'IOW24 apparaît dans le gestionnaire de "
            "périphériques, et qu'aucun autre programme (le simulateur ?) ne l'utilise." +
                std::string(run.bench.virtual_device
                                ? ""
                                : " Pour essayer sans matériel : « Verifier le cablage "
                                  "virtuel.cmd ».")};
}

Judged i2c_judged(const CheckRun& run) {
    return {i2c_mode_taken(run.start), "activé.",
            "refusé par l'IOW24. Débranchez-le, rebranchez-le, puis recommencez."};
}

Judged answer_judged(const CheckRun& run) {
    const Reading first = reading_of(run.first_read);
    const std::string cut = std::to_string(first.cut_short);
    std::string fault;
    if (first.cut_short > 0 && !first.refused)
        fault = "l'horloge répond, mais l'IOW24 n'a rendu que " + cut +
                " octets sur 8 d'une réponse : le câblage n'y est pour rien. Débranchez "
                "l'IOW24, rebranchez-le, puis recommencez ; si cela revient, vérifiez que "
                "la bibliothèque de l'IOW24 est celle du fabricant.";
    else if (!first.made || !first.pointers_answered || first.refused)
        fault =
            "l'horloge ne répond pas à l'adresse D0 (0x68). Vérifiez SDA et SCL (pas "
            "inversés, bien branchés), la masse commune, les résistances de tirage du bus, "
            "l'alimentation du module horloge et son adresse." +
            (first.cut_short > 0 ? " L'IOW24 a aussi rendu des réponses incomplètes (" + cut +
                                       " octets sur 8) : s'il n'y a pas de faute de câblage, "
                                       "débranchez-le et rebranchez-le."
                                 : std::string());
    else
        fault =
            "l'horloge répond à son adresse, mais la lecture de ses registres a échoué. "
            "Vérifiez SDA, la masse commune et les résistances de tirage du bus.";
    return {first.made && first.pointers_answered && first.data_answered,
            "l'horloge répond à l'adresse D0 (0x68) du bus I²C.", fault};
}

Judged running_judged(const CheckRun& run) {
    const Reading first = reading_of(run.first_read);
    return {(first.time[0] & kClockHalt) == 0, "le bit d'arrêt des secondes est à 0.",
            "l'horloge est arrêtée (bit 7 des secondes à 1 : le bloc lit SEC = 80 ou plus). "
            "Horloge jamais mise à l'heure, ou pile retirée : mettez-la à l'heure avec \"init\" "
            "(" +
                set_and_check(run) + ")."};
}

Judged registers_judged(const CheckRun& run) {
    const Reading first = reading_of(run.first_read);
    const bool holds = valid(first.time, first.date);
    const std::string read = moment(first.time, first.date);
    return {holds && !twelve_hour(first.time), read + ".",
            holds ? "l'horloge est en mode 12 heures (" + read +
                        ") : le bloc lit les heures en mode 24 heures, et HEU vaudrait " +
                        std::to_string(decode(first.time[2])) +
                        ". Un pas avec \"init\" remet l'horloge en mode 24 heures (" +
                        set_and_check(run) + ")."
                  : "les registres ne tiennent pas une heure et une date valides (lu : " +
                        hex(first.time) + " / " + hex(first.date) +
                        "). Horloge jamais mise à l'heure, mise à l'heure par un script avec des "
                        "valeurs impossibles (un pas \"init\" : voyez les lignes « Attention » "
                        "de rtc_host --script), ou parasites sur le bus : mettez-la à l'heure "
                        "avec \"init\" (" +
                        set_and_check(run) + ") ; si le défaut revient, vérifiez le câblage."};
}

Judged advance_judged(const CheckRun& run) {
    const Reading first = reading_of(run.first_read);
    const Reading second = reading_of(run.second_read);
    const int advance =
        (seconds_of_day(second.time) - seconds_of_day(first.time) + kSecondsPerDay) %
        kSecondsPerDay;
    const std::string interval = seconds_text(run.wait_ms);
    std::string fault;
    if (!second.made || !second.data_answered)
        fault = "une lecture suivante a échoué. Vérifiez le câblage du bus I²C.";
    else if (advance == 0)
        fault = "l'horloge n'avance pas en " + interval +
                " alors que son bit d'arrêt est à 0. Vérifiez le quartz (32,768 kHz) et ses "
                "soudures ; sans pile, la broche VBAT doit être reliée à la masse.";
    else
        fault = "l'horloge a avancé de " + std::to_string(advance) + " s en " + interval +
                " : quartz ou module défectueux, ou lectures perturbées.";
    return {second.made && second.data_answered && advance >= kAdvance &&
                advance <= most_advance(run.gap_ms),
            "+" + std::to_string(advance) + " s en " + interval + ".", fault};
}

// The findings in the order one repairs.
struct Judge {
    const char* id;     // for scripts
    const char* title;  // French
    Judged (*judged)(const CheckRun&);
};
constexpr Judge kJudges[] = {
    {"bibliotheque", "Bibliothèque de l'IOW24", library_judged},
    {"iow24", "IOW24 sur l'USB", usb_judged},
    {"i2c", "Mode I²C de l'IOW24", i2c_judged},
    {"horloge", "Réponse de l'horloge", answer_judged},
    {"marche", "Horloge en marche", running_judged},
    {"registres", "Heure et date valides", registers_judged},
    {"avance", "L'horloge avance", advance_judged},
};

std::vector<Finding> diagnose(const CheckRun& run) {
    std::vector<Finding> findings;
    for (const Judge& judge : kJudges) {
        // After a fault, what comes later cannot be told apart from its
        // effects. Where the IOW24 stopped answering, that is the fault.
        if (!findings.empty() && findings.back().verdict != Verdict::ok) {
            findings.push_back({judge.id, judge.title, Verdict::unknown,
                                "non vérifié tant que le défaut ci-dessus n'est pas corrigé."});
        } else if (run.stall && run.stall->finding == judge.id) {
            findings.push_back({judge.id, judge.title, Verdict::fault, run.stall->what});
        } else {
            Judged judged = judge.judged(run);
            findings.push_back({judge.id, judge.title, judged.good ? Verdict::ok : Verdict::fault,
                                judged.good ? std::move(judged.ok) : std::move(judged.fault)});
        }
    }
    return findings;
}

bool all_good(const std::vector<Finding>& findings) {
    for (const Finding& f : findings)
        if (f.verdict != Verdict::ok) return false;
    return true;
}

std::string check_header(Format format) {
    const std::string s(1, separator_of(format));
    return format == Format::table
               ? ""
               : mark_of(format) + ("constat" + s + "verdict" + s + "titre" + s + "message");
}

std::string finding_line(Format format, const Finding& f) {
    if (format != Format::table) {
        const char s = separator_of(format);
        return std::string(f.id) + s + word(f.verdict) + s + csv_field(f.title) + s +
               csv_field(f.sentence);
    }
    std::string verdict = word(f.verdict);
    verdict.resize(9, ' ');
    return verdict + f.title + " : " + f.sentence;
}

std::string summary_line(Format format, const std::vector<Finding>& findings, bool virtual_device) {
    const bool faults = any_fault(findings);
    std::string text = !faults ? "tout est bon : le bloc peut lire et écrire l'horloge."
                               : "un défaut ; corrigez-le, puis relancez la vérification.";
    if (virtual_device) text += " IOW24 virtuel : aucun matériel n'a été vérifié.";
    if (format != Format::table) {
        const char s = separator_of(format);
        return std::string("bilan") + s + (!faults ? "OK" : "DEFAUT") + s + "\"Bilan\"" + s +
               csv_field(text);
    }
    return "Bilan : " + text;
}

}  // namespace host
