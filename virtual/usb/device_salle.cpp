// What the virtual IOW24 tells its room: at each opening by a program, a
// report in the room's postes folder; and, to the wiring check, the facts
// it reports with its verdict. The teacher reads them; students never see
// them.
#include "salle/depot.h"
#include "salle/salle.h"
#include "virtual/garde/occupe.h"
#include "virtual/usb/device.h"

namespace iowvirt {

namespace {

const char* source_word(Planted planted) {
    switch (planted) {
        case Planted::window:
            return "IOWVIRT";
        case Planted::room:
            return "salle";
        case Planted::pc:
            return "PC";
        default:
            return "copie";
    }
}

}  // namespace

salle::Report Device::bench_facts() {
    salle::Report facts;
    facts.library_version = RTC_VERSION;
    facts.exercise = setup.in_force;
    facts.source = setup.in_force.empty() ? "" : source_word(setup.planted);
    facts.room_cell = setup.room_cell;
    // `invalid` is repaired once the clock has been written since it was
    // laid; no other exercise can be from the simulator.
    if (board.invalid && (board.exercises & kInvalidLaid) != 0)
        facts.repaired = (board.exercises & kInvalidStanding) == 0 ? "oui" : "non";
    return facts;
}

void Device::report_opening() {
    // The share, however slow, is no IOW24 time.
    const Busy on_the_share;
    const std::string room = salle::room_folder();
    if (room.empty()) return;
    salle::Report report = bench_facts();
    report.kind = salle::Kind::opening;
    salle::stamp(report);
    salle::drop_report(room, report);
}

}  // namespace iowvirt
