// Windows alone: a temporary made and moved into place while still held,
// for the files written whole here and for the virtual IOW24's state file.
#pragma once

#include <windows.h>

#include <string>

namespace texte {

// A new file at `temporary`, for writing and moving, shared with no one.
HANDLE new_temporary(const std::string& temporary);

// Moves the file held as `file` to `path` while it is still held, so that
// no other program's clean-up of temporaries takes it between its last
// write and its move; flushed then, the move with it. Where a file is
// already, it stays unless `replace`.
bool move_held(HANDLE file, const std::string& path, bool replace);

}  // namespace texte
