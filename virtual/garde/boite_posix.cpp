#include "virtual/garde/boite.h"

namespace iowvirt::boite {

void montrer(const std::string&) {}

}  // namespace iowvirt::boite
