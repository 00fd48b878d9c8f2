// The virtual IOW24's own voice inside a program that has no console, such
// as a simulator: a message box captioned "IOW24 virtuel" on Windows;
// nothing elsewhere, where stderr is seen.
#pragma once

#include <string>

namespace iowvirt::boite {

// `text` in UTF-8. Returns once the user has acknowledged it.
void montrer(const std::string& text);

}  // namespace iowvirt::boite
