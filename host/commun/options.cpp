#include "host/commun/options.h"

#include "platform/citation.h"
#include "platform/lettres.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <string_view>

namespace host {

namespace {

constexpr int kMaxSteps = 1000000;
// The wiring check reads the clock this often, until its seconds change.
constexpr int kCheckPeriodMs = 100;
constexpr int kMaxPeriodMs = 3600000;
constexpr int kMaxTimeoutMs = 3600000;
// The clock chip keeps the year within one century.
constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2099;

// Up to `most` digits (9 at the most), at least one; -1 otherwise.
int digits(std::string_view text, std::size_t most) {
    return static_cast<int>(texte::digits_only(text, most));
}

bool whole_number(const std::string& text, int low, int high, int& value) {
    // Leading zeros count for nothing: "0005" is 5, however many there are.
    std::string_view significant = text;
    while (significant.size() > 1 && significant[0] == '0')
        significant.remove_prefix(1);
    const int result = digits(significant, 9);
    if (result < 0 || result < low || result > high) return false;
    value = result;
    return true;
}

// What the user typed, shown as typed, escaped: a newline in it must not
// start a line of its own.
std::string quoted(const std::string& text) { return "\"" + texte::cite(text, 200) + "\""; }

}  // namespace

int days_in_month(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

namespace {

// Numbers between `mark`s, as many as `most` has, of at most `most[i]`
// digits each.
template <std::size_t N>
bool numbers(std::string_view text, char mark, const std::size_t (&most)[N], int (&out)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t end = i + 1 < N ? text.find(mark) : text.size();
        if (end == text.npos) return false;
        out[i] = digits(text.substr(0, end), most[i]);
        if (out[i] < 0) return false;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return true;
}

// "AAAA-MM-JJ", "JJ/MM/AAAA" or "JJ/MM/AA": the day and the month in one
// digit or two; two digits of year are of the clock's century.
bool date_of(std::string_view text, Moment& m) {
    int parts[3];
    if (text.size() > 4 && text[4] == '-' && numbers(text, '-', {4, 2, 2}, parts)) {
        m.year = parts[0], m.month = parts[1], m.day = parts[2];
        return true;
    }
    const std::size_t year = text.find_last_of('/') + 1;
    const std::size_t year_digits = text.size() - year;
    if (year > 0 && (year_digits == 4 || year_digits == 2) &&
        numbers(text, '/', {2, 2, 4}, parts)) {
        m.day = parts[0], m.month = parts[1];
        m.year = year_digits == 2 ? kFirstYear + parts[2] : parts[2];
        return true;
    }
    return false;
}

// The hour in one digit or two, the minutes and the seconds in two:
// "HH:MM:SS", "HH:MM" as the clock of Windows shows it, or "9h05", "9h05m30"
// and "9h" as French writes it; seconds left out are 0.
bool time_of(std::string_view text, Moment& m) {
    m.minute = m.second = 0;
    const std::size_t h = text.find_first_of("hH");
    if (h != text.npos) {
        m.hour = digits(text.substr(0, h), 2);
        text.remove_prefix(h + 1);
        if (text.empty()) return m.hour >= 0;
        const std::size_t mark = text.find_first_of("mM");
        m.minute = digits(text.substr(0, std::min(mark, text.size())), 2);
        if (mark != text.npos) m.second = digits(text.substr(mark + 1), 2);
        // Two digits for the minutes and the seconds, as in "9:05:03".
        return m.hour >= 0 && m.minute >= 0 && m.second >= 0 &&
               (mark == text.npos ? text.size() == 2 : mark == 2 && text.size() == 5);
    }
    int parts[3];
    if (numbers(text, ':', {2, 2, 2}, parts) && text.size() - text.find(':') == 6) {
        m.hour = parts[0], m.minute = parts[1], m.second = parts[2];
        return true;
    }
    int short_parts[2];
    if (numbers(text, ':', {2, 2}, short_parts) && text.size() - text.find(':') == 3) {
        m.hour = short_parts[0], m.minute = short_parts[1];
        return true;
    }
    return false;
}

constexpr std::string_view kSpaces = " \t";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == text.npos) return {};
    return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
}

constexpr const char* kForms =
    "formes acceptées : \"JJ/MM/AAAA HH:MM:SS\", \"AAAA-MM-JJ HH:MM:SS\", sans les secondes "
    "(\"14/07/2027 9:05\"), à la française (\"14/07/27 9h05\"), ou now (maintenant) pour "
    "l'heure du PC";

}  // namespace

bool means_now(const std::string& text) {
    const std::string_view word = trimmed(text);
    return texte::same_letters(word, "now") || texte::same_letters(word, "maintenant");
}

std::optional<int> parse_hour(const std::string& text) {
    Moment m{};
    if (!time_of(trimmed(text), m) || m.hour > 23 || m.minute > 59 || m.second > 59)
        return std::nullopt;
    return m.hour * 60 + m.minute;
}

bool is_date_alone(const std::string& text) {
    Moment m{};
    return date_of(trimmed(text), m);
}

std::optional<Moment> parse_moment(const std::string& whole, std::string& why) {
    const std::string_view text = trimmed(whole);
    const std::size_t space = text.find_first_of(kSpaces);
    const std::string_view date = text.substr(0, space);
    const std::string_view rest =
        space == text.npos ? std::string_view() : trimmed(text.substr(space));
    const std::size_t extra_at = rest.find_first_of(kSpaces);
    const std::string_view time = rest.substr(0, extra_at);
    Moment m{};
    Moment probe{};
    if (rest.empty() && time_of(date, probe)) {
        why = "il manque la date avant l'heure ; " + std::string(kForms);
    } else if (!date_of(date, m)) {
        why = "la date " + quoted(std::string(date)) + " n'a pas une forme connue ; " + kForms;
    } else if (rest.empty()) {
        why = "il manque l'heure après la date ; " + std::string(kForms);
    } else if (!time_of(time, m)) {
        why = "l'heure " + quoted(std::string(time)) +
              " n'a pas une forme connue (les minutes et les secondes s'écrivent avec deux "
              "chiffres : 9h05m03, 9:05:03) ; " +
              kForms;
    } else if (extra_at != rest.npos) {
        why = quoted(std::string(trimmed(rest.substr(extra_at)))) +
              " est en trop après l'heure ; " + kForms;
    }
    if (!why.empty()) return std::nullopt;
    if (m.year < kFirstYear || m.year > kLastYear) {
        why = "l'horloge ne garde que les années 2000 à 2099";
        return std::nullopt;
    }
    if (m.month < 1 || m.month > 12 || m.day < 1 || m.day > days_in_month(m.month, m.year) ||
        m.hour > 23 || m.minute > 59 || m.second > 59) {
        why = "cette date ou cette heure n'existe pas";
        return std::nullopt;
    }
    return m;
}

Moment local_now() {
    const std::time_t now = std::time(nullptr);
    // Only the host's main thread reads the local time (the watchdog's
    // never does): the shared result of localtime is safe.
    const std::tm parts = *std::localtime(&now);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

namespace {

// The options that take a value, and what that value is, in French.
struct ValuedOption {
    const char* name;
    const char* needs;
};
constexpr ValuedOption kValued[] = {
    {"--block", "le chemin du bloc"},           {"--device", "le chemin d'une iowkit.dll"},
    {"--set", "une date et une heure, ou now"}, {"--read", "un nombre de pas"},
    {"--period-ms", "des millisecondes"},       {"--timeout-ms", "des millisecondes"},
    {"--script", "un nom de fichier"},          {"--format", "table, csv ou excel"},
    {"--copies", "un nom de fichier"},          {"--depuis", "une heure, comme 8h00"},
};

const char* value_needed(const std::string& option) {
    for (const ValuedOption& valued : kValued)
        if (option == valued.name) return valued.needs;
    return nullptr;
}

// The options that take none: each sets its flag.
struct Flag {
    const char* name;
    bool Options::*flag;
};
constexpr Flag kFlags[] = {
    {"--help", &Options::help},
    {"-h", &Options::help},
    {"/?", &Options::help},
    {"--version", &Options::version},
    {"--exercice", &Options::exercise},
    {"--check", &Options::check},
    {"--hardware", &Options::hardware},
    {"--trace", &Options::trace},
    {"--console-alerts", &Options::console_alerts},
    {"--salle", &Options::room},
    {"--sans-navigateur", &Options::no_browser},
};

// --set's value; `next` is the argument after it, for a time the shell cut
// off. The error, or nothing.
std::string take_set(Options& o, const std::string& value, const std::string* next) {
    // Given twice, the last one counts, as for every option.
    o.set_now = false;
    o.set_at.reset();
    if (means_now(value)) {
        o.set_now = true;
        return "";
    }
    if (is_date_alone(value)) {
        // The shell cut "DATE TIME" in two: the time is the next word.
        std::string ignored;
        const bool time_next =
            next != nullptr && parse_moment(value + " " + *next, ignored).has_value();
        const std::string example = value + " " + (time_next ? *next : std::string("23:59:58"));
        return "--set " + quoted(value) +
               " : la date et l'heure vont ensemble, entre guillemets : --set " + quoted(example);
    }
    std::string why;
    o.set_at = parse_moment(value, why);
    return o.set_at ? "" : "--set " + quoted(value) + " : " + why;
}

std::optional<Format> format_named(const std::string& name) {
    if (name == "table") return Format::table;
    if (name == "csv") return Format::csv;
    if (name == "excel") return Format::excel;
    return std::nullopt;
}

// An option with its value. The error, or nothing.
std::string take_valued(Options& o, const std::string& option, const std::string& value,
                        const std::string* next, bool& period_given) {
    if (option == "--block") o.block = value;
    if (option == "--device") o.device = value;
    if (option == "--script") o.script = value;
    if (option == "--copies") o.copies = value;
    if (option == "--depuis") {
        const std::optional<int> minutes = parse_hour(value);
        if (!minutes)
            return "--depuis prend une heure de la journée, comme 8h00 ou 13:30, pas " +
                   quoted(value);
        o.since_minutes = *minutes;
    }
    if (option == "--set") return take_set(o, value, next);
    if (option == "--read" && !whole_number(value, 1, kMaxSteps, o.read_steps))
        return "--read prend un nombre de pas de 1 à 1000000, pas " + quoted(value);
    period_given = period_given || option == "--period-ms";
    if (option == "--period-ms" && !whole_number(value, 0, kMaxPeriodMs, o.period_ms))
        return "--period-ms prend des millisecondes de 0 à 3600000, pas " + quoted(value);
    if (option == "--timeout-ms" && !whole_number(value, 1, kMaxTimeoutMs, o.timeout_ms))
        return "--timeout-ms prend des millisecondes de 1 à 3600000, pas " + quoted(value);
    if (option == "--format") {
        o.format = format_named(value);
        if (!o.format) return "--format vaut table, csv ou excel, pas " + quoted(value);
    }
    return "";
}

// Options that do not go together. The error, or nothing.
std::string clash(const Options& o) {
    const bool steps = o.set_now || o.set_at || o.read_steps > 0;
    if (!o.script.empty() && steps)
        return "--script fait ses propres pas ; il ne va pas avec --set ni --read";
    if (o.check && (!o.script.empty() || o.read_steps > 0))
        return "--check lit l'horloge lui-même ; il ne va pas avec --read ni --script";
    if (o.hardware && !o.check) return "--hardware ne va qu'avec --check";
    if (o.exercise && (o.check || !o.script.empty() || steps))
        return "--exercice montre l'exercice en place sans rien lancer ; il ne va pas avec "
               "--check, --script, --set ni --read";
    if (!o.copies.empty() && !o.exercise) return "--copies ne va qu'avec --exercice";
    if (o.room && (o.exercise || o.check || !o.script.empty() || steps))
        return "--salle montre la salle sans rien lancer ; il ne va pas avec --exercice, --check, "
               "--script, --set ni --read";
    if ((o.since_minutes != 0 || o.no_browser) && !o.room)
        return "--depuis et --sans-navigateur ne vont qu'avec --salle";
    return "";
}

}  // namespace

Parsed parse_arguments(const std::vector<std::string>& arguments) {
    Parsed parsed;
    Options& o = parsed.options;
    bool period_given = false;
    for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        const std::string& a = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        const std::string value = has_value ? arguments[i + 1] : std::string();
        const char* const needs = value_needed(a);
        const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags),
                                       [&](const Flag& f) { return a == f.name; });
        if (needs == nullptr && flag == std::end(kFlags)) {
            parsed.error = "argument inconnu " + quoted(a);
        } else if (needs == nullptr) {
            o.*(flag->flag) = true;
            // --salle names its folder, or this PC's room when nothing follows.
            if (a == "--salle" && has_value && value.rfind("--", 0) != 0)
                o.room_folder = value, ++i;
        } else if (!has_value || value.rfind("--", 0) == 0) {
            // The next option is no value: "--script --period-ms 0" lost its file name.
            parsed.error = a + " demande " + needs +
                           (has_value ? " ; " + quoted(value) + " est une autre option" : "");
        } else if (value.empty()) {
            // An empty value would quietly mean the default, or nothing.
            parsed.error = a + " demande " + needs + ", pas \"\"";
        } else {
            ++i;
            const std::string* next = i + 1 < arguments.size() ? &arguments[i + 1] : nullptr;
            parsed.error = take_valued(o, a, value, next, period_given);
        }
    }
    if (parsed.error.empty()) parsed.error = clash(o);
    if (!parsed.error.empty()) return parsed;
    if (o.check && !period_given) o.period_ms = kCheckPeriodMs;
    // The check's first read; it makes the second one itself, when worth it.
    if (o.check) o.read_steps = 1;
    if (o.script.empty() && !o.set_now && !o.set_at && o.read_steps == 0 && !o.room)
        o.read_steps = 1;
    return parsed;
}

std::string usage(const std::string& program) {
    return "Usage : " + program + R"( [options]
Charge le bloc horloge comme le fait un simulateur et fait une simulation.

Ce qu'il faut faire (par défaut : --read 1) :
  --set now | --set "JJ/MM/AAAA HH:MM:SS" | --set "AAAA-MM-JJ HH:MM:SS"
                      un pas avec "init" haut : met l'horloge à l'heure
                      (now ou maintenant : l'heure du PC) ; la date et
                      l'heure entre guillemets ; aussi sans les secondes
                      ("14/07/2027 9:05"), à la française ("14/07/27 9h05")
  --read N            puis N pas avec "RD" haut : lit l'horloge
  --script FICHIER.csv
                      un pas par ligne ; l'en-tête nomme les entrées du bloc
                      (RD,sec,min,heu,dat,moi,ann,init), les absentes valent 0 ;
                      séparées par des virgules, ou comme Excel les enregistre
                      (points-virgules et virgule décimale : 45,9) ou les
                      copie (tabulations) ; des nombres décimaux seulement
                      (pas d'hexadécimal), 1000000 pas au plus
  --period-ms MS      attente entre deux pas (par défaut 1000)
  --check             vérifie le chemin jusqu'à l'horloge : la bibliothèque
                      de l'IOW24, l'IOW24, son mode I2C, la réponse de
                      l'horloge, qu'elle est en marche, tient une heure
                      valide et avance (une lecture toutes les --period-ms,
                      par défaut 100, jusqu'à ce que les secondes changent,
                      1,5 s au plus ; 0 : aussi vite que possible) ;
                      n'écrit dans l'horloge qu'avec --set
  --hardware          avec --check : la vérification est celle du matériel ;
                      l'IOW24 virtuel y est un défaut
  --timeout-ms MS     temps accordé à chaque appel de la bibliothèque de
                      l'IOW24 (par défaut 5000) : au-delà, l'IOW24 ne répond
                      plus et rtc_host s'arrête

Bibliothèques :
  --block CHEMIN      le bloc (par défaut : celui à côté de ce programme)
  --device CHEMIN     la bibliothèque de l'IOW24, chargée avant le bloc pour
                      qu'il s'y lie : l'iowkit.dll du fabricant pour le vrai
                      matériel (par défaut : l'IOW24 virtuel, virtuel\iowkit.dll) ;
                      un nom seul (iowkit.dll) est cherché comme Windows
                      cherche une DLL : dossier du programme, dossiers système

Affichage :
  --format table|csv|excel
                      les sorties par nom de broche (par défaut : table ;
                      avec --script, sous la forme du script : csv pour un
                      script à virgules, excel sinon) ; excel : points-virgules
                      et virgule décimale, ce qu'Excel en français ouvre en
                      colonnes
  --trace             chaque message échangé avec l'IOW24, sur stderr
  --console-alerts    Windows : les boîtes de message du bloc vont sur stderr
  --version           la version, et les bibliothèques chargées
  --help, /?          cette aide

Une option donnée deux fois : la dernière compte.

Code de sortie : 0 après la simulation (les messages du bloc disent les
défauts), 2 pour une ligne de commande ou un script incorrects, 3 quand une
bibliothèque ne peut pas être chargée, 4 quand --check trouve un défaut,
5 quand l'IOW24 ne répond plus pendant la simulation (--timeout-ms),
6 quand les résultats ne peuvent pas être écrits (disque plein...).
)";
}

}  // namespace host
