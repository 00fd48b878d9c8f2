// What the virtual IOW24 needs of the file system, on each platform: where
// a user's own state lives, the folder it was loaded from, and files
// written whole or not at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace iowvirt::fichiers {

// The state file in the user's own application data; empty when the
// platform names no such folder.
std::string default_state_path();

// The folder of the virtual IOW24's library, with a trailing separator.
std::string library_folder();

// The file's first bytes, at most `most` + 1 of them, so that a caller
// sees a file too long without reading it all; nothing when it does not
// exist. `why` when it cannot be read.
std::optional<std::vector<std::uint8_t>> read(const std::string& path, std::size_t most,
                                              std::string& why);

// Writes a temporary file beside `path`, flushes it to the disk, then
// renames it over `path`: a reader sees the old file or the new one, never
// a part. Makes the folders that are missing. False and why on failure,
// with `path` as it was.
bool write_whole(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& why);

// Renames `path` to `aside`; false when it cannot.
bool move(const std::string& path, const std::string& aside);

// An environment variable as the user set it, in UTF-8; false when unset.
bool variable(const char* name, std::string& value);

// Seconds since 1970 on the PC's clock, for names.
std::int64_t now_seconds();

}  // namespace iowvirt::fichiers
