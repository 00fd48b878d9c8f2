// What each platform's file layer gives the part written once above it
// (fichiers.cpp): paths, folders, and whether a temporary's program is gone.
#pragma once

#include <string>

namespace iowvirt::fichiers {

// The folder of `path`, without its trailing separator; "." for a bare name.
std::string folder_of(const std::string& path);
std::string name_of(const std::string& path);
std::string in_folder(const std::string& folder, const std::string& name);
// Makes `folder` and the folders above it; `why` when it is not there then.
bool make_folders(const std::string& folder, std::string& why);
// Whether the program numbered `pid`, that left a temporary, has ended.
bool program_gone(long pid);

}  // namespace iowvirt::fichiers
