// When a program looks at the state file for a record another program
// wrote. A look is a system call, dear on some machines next to a read of
// the time, so a program looks at most once every kLookEveryUs of the
// PC's steady clock, which every program on the PC reads alike. A program
// that wrote a record goes on only once that long has passed since it was
// written: any other program's read that begins after it went on either
// looks, or follows a look made after the record was written. Either way
// it sees the record, as it would looking at every read.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>

namespace iowvirt {

class Regard {
  public:
    // Microseconds of the PC's steady clock.
    using Steady = std::function<std::int64_t()>;
    static constexpr std::int64_t kLookEveryUs = 20;

    Regard();
    explicit Regard(Steady steady) : steady_(std::move(steady)) {}

    // Whether a read of the time looks at the file now.
    bool look_due();
    // A record was written: waits out one look's time.
    void record_written();

  private:
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min();
    Steady steady_;
    std::int64_t last_look_ = kNever;
};

}  // namespace iowvirt
