// What each platform's file layer gives the part written once above it
// (fichiers.cpp): folders, and whether a temporary's program is gone.
#pragma once

#include <string>

#include "platform/fichier.h"

namespace iowvirt::fichiers {

using texte::folder_of;
using texte::name_of;
std::string in_folder(const std::string& folder, const std::string& name);
// Makes `folder` and the folders above it; `why` when it is not there then.
bool make_folders(const std::string& folder, std::string& why);
// Whether the program numbered `pid`, that left a temporary, has ended.
bool program_gone(long pid);

}  // namespace iowvirt::fichiers
