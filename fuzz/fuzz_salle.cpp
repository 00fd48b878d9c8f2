// libFuzzer target over what the room's share holds, which anyone who can
// write there may have written: any bytes as the teacher's table, and as a
// bench's report. A table gives rows with a PC's name; a report read back
// writes back to itself; the teacher's page and CSV carry no markup and
// no formula from either.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "salle/rapport.h"
#include "salle/tableau.h"
#include "salle/vue.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const salle::RoomTable table = salle::read_room_table(bytes);
    for (const salle::RoomRow& row : table.rows)
        require(!row.pc.empty() && salle::row_of(table, row.pc) == &row);
    std::vector<salle::Report> reports;
    if (const auto report = salle::read_report(bytes)) {
        const auto again = salle::read_report(salle::report_text(*report));
        require(again && salle::report_text(*again) == salle::report_text(*report));
        reports.push_back(*report);
    }
    const salle::RoomView view = salle::room_view(table, reports, 0);
    const std::string page = salle::view_html(view);
    require(page.find("<script") == std::string::npos && page.find("<img") == std::string::npos);
    const std::string csv = salle::view_csv(view);
    for (const char bad : {'=', '+', '-', '@'})
        require(csv.find(std::string(";\"") + bad) == std::string::npos &&
                csv.find(std::string("\n\"") + bad) == std::string::npos);
    return 0;
}
