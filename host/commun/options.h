// The stand-in host's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host {

struct Moment {
    int year, month, day, hour, minute, second;
};

// `excel`: CSV as French Excel opens it, with semicolons and decimal commas.
enum class Format { table, csv, excel };

// What begins results in the excel format: a UTF-8 byte-order mark, without
// which French Excel takes the bytes for Windows-1252 and garbles accents.
inline constexpr const char* kExcelMark = "\xEF\xBB\xBF";
inline const char* mark_of(Format format) { return format == Format::excel ? kExcelMark : ""; }

// The field separator of a CSV format.
inline char separator_of(Format format) { return format == Format::excel ? ';' : ','; }

struct Options {
    std::string block;   // the block library; empty: the one beside the program
    std::string device;  // the device library; empty: the virtual IOW24
    bool set_now = false;
    std::optional<Moment> set_at;
    int read_steps = 0;
    int period_ms = 1000;
    int timeout_ms = 5000;  // of each call into the device library
    std::string script;
    bool check = false;     // the wiring check instead of a run of steps
    bool hardware = false;  // the check is of hardware: the virtual IOW24 is a fault
    std::optional<Format> format;
    bool trace = false;
    bool console_alerts = false;
    bool help = false;
    bool version = false;  // the version and the libraries loaded
    // The teacher's view: the exercise words in force. Never in the help,
    // which students read: the teacher's command files use it.
    bool exercise = false;
    std::string copies;  // a file naming more copies of the virtual IOW24 to show
    // The teacher's view of a room (never in the help either): its folder,
    // empty for the one this PC names; reports counted from `since_minutes`
    // after midnight today; the page opened in the browser unless told not.
    bool room = false;
    std::string room_folder;
    int since_minutes = 0;
    bool no_browser = false;
};

struct Parsed {
    Options options;
    std::string error;  // empty when the command line is good
};

Parsed parse_arguments(const std::vector<std::string>& arguments);

// Days in `month` (1-12) of the full `year`.
int days_in_month(int month, int year);

// A date, "AAAA-MM-JJ", "JJ/MM/AAAA" or "JJ/MM/AA" (day and month in one
// digit or two), then a time, "HH:MM:SS", "HH:MM", "9h05", "9h05m30" or
// "9h" (the hour in one digit or two): a real date within the clock chip's
// century. `why` says what is missing or extra, in French.
std::optional<Moment> parse_moment(const std::string& text, std::string& why);
// A date in one of those forms with no time after it.
bool is_date_alone(const std::string& text);
// "now" or "maintenant", in any case, with blanks around it or not.
bool means_now(const std::string& text);
// An hour of the day, "8h00", "8h", "08:30": minutes after midnight.
std::optional<int> parse_hour(const std::string& text);
Moment local_now();

std::string usage(const std::string& program);

}  // namespace host
