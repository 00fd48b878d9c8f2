// Loading the device library and the block as a simulation host does: the
// device library first, so that the block binds to it, then the block,
// whose entry points are looked up by name and whose pin layout is read.
#pragma once

#include <string>

#include "host/commun/bloc.h"
#include "host/commun/options.h"
#include "host/load/relais.h"

namespace host {

struct Loaded {
    std::string device_path, block_path;  // as asked for
    void* device = nullptr;
    void* library = nullptr;
    DeviceFunctions functions{};
    Block block{};
};

// What went wrong, in French, or empty. `hint` may add a sentence on what
// to do.
struct LoadError {
    std::string message;
    std::string hint;
};

// The device library, then the block; stops at the first failure, with
// what was loaded so far in `loaded`.
LoadError load(const Options& options, Loaded& loaded);
void unload(Loaded& loaded);

// Adds a name to a comma-separated list of what is missing.
void add_missing(std::string& missing, const char* name);

// Whether the device library loaded is this project's virtual IOW24.
bool virtual_device(const Loaded& loaded);
// Whether it is the package's own copy, in its virtuel folder.
bool packaged_virtual_device(const Loaded& loaded);
// The virtual IOW24's report of its exercise words; null for another library.
using SettingFn = const char* (*)();
SettingFn virtual_setting(const Loaded& loaded);
// The virtual IOW24's facts for the room's report; null for another library.
SettingFn virtual_bench(const Loaded& loaded);
// The block's and the device library's versions, for a report: the file
// version where the platform keeps one, else the package's own for the
// block; empty when unknown.
std::string block_version(const Loaded& loaded);
std::string device_version(const Loaded& loaded);
// The virtual IOW24's word that it is at work that is no USB traffic; null
// for another library.
using BusyFn = int (*)();
BusyFn virtual_busy(const Loaded& loaded);

// A French sentence when an iowvirt.txt beside the program counts for
// nothing, the virtual IOW24 loaded being in another folder; else empty.
std::string stray_words_file(const Loaded& loaded);

// The version and the libraries loaded, in full, in French.
std::string version_text(const Loaded& loaded);

}  // namespace host
