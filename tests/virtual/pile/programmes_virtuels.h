// Programs that have the virtual IOW24 open, each a device of its own as in
// a process of its own, all on one state file, driven by their reports,
// the PC's clock injected.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace iowvirt {
struct Device;
}

namespace pile_modele {

// What a read brought back: seconds since 2000-01-01 00:00:00, and the
// seconds' halt bit.
struct Reading {
    std::int64_t seconds = 0;
    bool halted = false;
};

class Programs {
  public:
    // `pc`: the PC's clock, in ms since 1970, whole seconds.
    Programs(const std::string& state_path, std::function<std::int64_t()> pc);
    ~Programs();
    int running() const { return static_cast<int>(devices_.size()); }
    void launch();
    void exit(int program);
    void set(int program, std::int64_t seconds, bool halted);
    Reading read(int program);

  private:
    struct Running;
    std::vector<std::unique_ptr<Running>> devices_;
    std::string state_path_;
    std::function<std::int64_t()> pc_;
    // The PC's steady clock, in microseconds, that every program reads: a
    // microsecond more at each reading, so that reads come closer together
    // than one look's time, as a simulation's steps do.
    std::int64_t steady_us_ = 0;
};

}  // namespace pile_modele
