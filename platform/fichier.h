// A whole file read at once, on each platform: a script, the room's table,
// a bench's report. Paths are UTF-8; Windows is given them in UTF-16.
#pragma once

#include <cstddef>
#include <string>

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

}  // namespace texte
