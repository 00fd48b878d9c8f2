// Files on each platform, as the host's scripts, the room and the virtual
// IOW24 use them: a whole file read at once, a small file written whole,
// a folder's files, the environment. Paths are UTF-8; Windows is given them
// in UTF-16.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace texte {

struct WholeFile {
    bool read = false;
    std::string text;
    // Why not, in French: "fichier introuvable", "accès refusé", "c'est un
    // dossier, pas un fichier", the system's message; empty when
    // `too_large`.
    std::string why;
    bool too_large = false;  // more than the bytes asked for
};

// At most `most` bytes, refused before it is read when larger. The file
// stays shared with other programs for reading, writing and deleting, so
// that one Excel holds open is read. `regular_only`: anything but a
// regular file (a pipe, a device) is refused, never waited on.
WholeFile read_whole_file(const std::string& path, std::size_t most, bool regular_only);

// Writes `text` as the file `path` whole, or not at all: into a temporary
// beside it (`path`, `mark`, the process's number and a count), flushed,
// then moved over `path`; on Windows while still held, so that no other
// program's clean-up of temporaries takes it in between.
bool write_whole_file(const std::string& path, const std::string& text, const char* mark);

// The same where a file is at `path` already: that file stays as it is, and
// the temporary goes (`taken`). `why`, when it fails, names the file and the
// system's reason.
enum class Placed { placed, taken, failed };
Placed place_whole_file(const std::string& path, const std::string& text, const char* mark,
                        std::string& why);

// Renames `from` to `to` where no file is (`taken` where one is).
Placed rename_if_free(const std::string& from, const std::string& to);

// The folder of `path`, without its trailing separator ("." for a bare
// name), and the name in it.
std::string folder_of(const std::string& path);
std::string name_of(const std::string& path);

// The names of the regular files in `folder`, sorted.
std::vector<std::string> file_names(const std::string& folder);

// An environment variable as the user set it, in UTF-8; false when unset.
bool variable(const char* name, std::string& value);

}  // namespace texte
