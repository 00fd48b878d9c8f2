#include "host/options.h"

#include <ctime>

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

bool whole_number(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
    }
    if (result < low || result > high) return false;
    value = result;
    return true;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

int days_in_month(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::optional<Moment> parse_moment(const std::string& text, std::string& why) {
    // Digits at fixed places: "YYYY-MM-DD HH:MM:SS".
    static constexpr char kForm[] = "dddd-dd-dd dd:dd:dd";
    bool form = text.size() == sizeof kForm - 1;
    for (std::size_t i = 0; form && i < text.size(); ++i)
        form = kForm[i] == 'd' ? text[i] >= '0' && text[i] <= '9' : text[i] == kForm[i];
    if (!form) {
        why = "pas une date et une heure de la forme \"AAAA-MM-JJ HH:MM:SS\"";
        return std::nullopt;
    }
    const auto field = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    Moment m{field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2), field(17, 2)};
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
    // The host has a single thread: the shared result of localtime is safe.
    const std::tm parts = *std::localtime(&now);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

Parsed parse_arguments(const std::vector<std::string>& arguments) {
    Parsed parsed;
    Options& o = parsed.options;
    auto fail = [&parsed](const std::string& message) {
        parsed.error = message;
        return parsed;
    };
    bool period_given = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        const std::string value = has_value ? arguments[i + 1] : std::string();
        auto needs_value = [&] {
            return a == "--block" || a == "--device" || a == "--set" || a == "--read" ||
                   a == "--period-ms" || a == "--script" || a == "--format" || a == "--timeout-ms";
        };
        if (needs_value()) {
            if (!has_value) return fail(a + " demande une valeur");
            // An empty value would quietly mean the default, or nothing.
            if (value.empty()) return fail(a + " demande une valeur, pas \"\"");
            ++i;
        }
        if (a == "--help" || a == "-h" || a == "/?") {
            o.help = true;
        } else if (a == "--block") {
            o.block = value;
        } else if (a == "--device") {
            o.device = value;
        } else if (a == "--set") {
            if (value == "now") {
                o.set_now = true;
            } else {
                std::string why;
                o.set_at = parse_moment(value, why);
                if (!o.set_at) return fail("--set " + quoted(value) + " : " + why);
            }
        } else if (a == "--read") {
            if (!whole_number(value, 1, kMaxSteps, o.read_steps)) {
                return fail("--read prend un nombre de pas de 1 à 1000000, pas " + quoted(value));
            }
        } else if (a == "--period-ms") {
            period_given = true;
            if (!whole_number(value, 0, kMaxPeriodMs, o.period_ms)) {
                return fail("--period-ms prend des millisecondes de 0 à 3600000, pas " +
                            quoted(value));
            }
        } else if (a == "--timeout-ms") {
            if (!whole_number(value, 1, kMaxTimeoutMs, o.timeout_ms)) {
                return fail("--timeout-ms prend des millisecondes de 1 à 3600000, pas " +
                            quoted(value));
            }
        } else if (a == "--script") {
            o.script = value;
        } else if (a == "--format") {
            if (value == "table") {
                o.format = Format::table;
            } else if (value == "csv") {
                o.format = Format::csv;
            } else if (value == "excel") {
                o.format = Format::excel;
            } else {
                return fail("--format vaut table, csv ou excel, pas " + quoted(value));
            }
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--check") {
            o.check = true;
        } else if (a == "--hardware") {
            o.hardware = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--console-alerts") {
            o.console_alerts = true;
        } else {
            return fail("argument inconnu " + quoted(a));
        }
    }
    if (!o.script.empty() && (o.set_now || o.set_at || o.read_steps > 0)) {
        return fail("--script fait ses propres pas ; il ne va pas avec --set ni --read");
    }
    if (o.check && (!o.script.empty() || o.read_steps > 0)) {
        return fail("--check lit l'horloge lui-même ; il ne va pas avec --read ni --script");
    }
    if (o.hardware && !o.check) return fail("--hardware ne va qu'avec --check");
    if (o.check && !period_given) o.period_ms = kCheckPeriodMs;
    // The check's first read; it makes the second one itself, when worth it.
    if (o.check) o.read_steps = 1;
    if (o.script.empty() && !o.set_now && !o.set_at && o.read_steps == 0) o.read_steps = 1;
    return parsed;
}

std::string usage(const std::string& program) {
    return "Usage : " + program + R"( [options]
Charge le bloc horloge comme le fait un simulateur et fait une simulation.

Ce qu'il faut faire (par défaut : --read 1) :
  --set now | --set "AAAA-MM-JJ HH:MM:SS"
                      un pas avec "init" haut : met l'horloge à l'heure
                      (now : l'heure du PC)
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

Code de sortie : 0 après la simulation (les messages du bloc disent les
défauts), 2 pour une ligne de commande ou un script incorrects, 3 quand une
bibliothèque ne peut pas être chargée, 4 quand --check trouve un défaut,
5 quand l'IOW24 ne répond plus pendant la simulation (--timeout-ms),
6 quand les résultats ne peuvent pas être écrits (disque plein...).
)";
}

}  // namespace host
