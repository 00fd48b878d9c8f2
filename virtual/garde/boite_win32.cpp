// A modal box with no owner window, as the block shows its alerts; in
// UTF-16, so that a path in any script shows as the user wrote it.
#include <windows.h>

#include "platform/utf16.h"
#include "virtual/garde/boite.h"
#include "virtual/garde/occupe.h"

namespace iowvirt::boite {

void montrer(const std::string& text) {
    const Busy waiting_for_the_user;
    MessageBoxW(nullptr, texte::utf16(text).c_str(), L"IOW24 virtuel", MB_OK | MB_ICONWARNING);
}

}  // namespace iowvirt::boite
