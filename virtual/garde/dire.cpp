#include "virtual/garde/dire.h"

#include <cstdio>
#include <set>

#include "platform/console.h"
#include "virtual/garde/boite.h"

namespace iowvirt {

void tell(const std::string& text) {
    texte::ecrire(stderr, "IOW24 virtuel : " + text + "\n");
    std::fflush(stderr);
}

void tell_once(const std::string& text) {
    static std::set<std::string> told;
    if (told.insert(text).second) tell(text);
}

void alert_once(const std::string& text) {
    static std::set<std::string> shown;
    tell(text);
    if (shown.insert(text).second) boite::montrer("IOW24 virtuel : " + text);
}

}  // namespace iowvirt
