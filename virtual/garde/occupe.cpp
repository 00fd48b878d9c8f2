#include "virtual/garde/occupe.h"

#include <atomic>

namespace iowvirt {

namespace {
std::atomic<int> under_way{0};
}  // namespace

Busy::Busy() { ++under_way; }
Busy::~Busy() { --under_way; }

bool busy() { return under_way.load() > 0; }

}  // namespace iowvirt
