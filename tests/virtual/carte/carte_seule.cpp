// The board with nothing but its own room linked in: the chip, its bus and
// the exercises need no other part of the virtual IOW24. It reads back the
// time it was delivered at.
#include <cstdio>

#include "virtual/carte/carte.h"

int main() {
    iowvirt::Board board;
    board.chip.set_time_source([] { return 0; });
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 10;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 3;
    board.deliver_set(local);
    const unsigned char expected[] = {0x03, 0x05, 0x09, 0x00, 0x10, 0x12, 0x26};
    for (unsigned char reg = 0; reg < sizeof expected; ++reg) {
        if (reg == 3) continue;  // the day of the week, not set by a delivery
        if (board.chip.peek(reg) != expected[reg]) {
            std::fprintf(stderr, "register %u: %02X, not %02X\n", reg, board.chip.peek(reg),
                         expected[reg]);
            return 1;
        }
    }
    std::puts("the board links and runs alone");
    return 0;
}
