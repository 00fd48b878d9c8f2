// POSIX alone: a program may have closed its standard input, output or
// error; a file opened then would take its place, and a line printed
// meanwhile would land in it.
#pragma once

namespace texte {

// `fd` moved above the standard streams' descriptors (closed on exec); -1
// and errno as the system's when it cannot be.
int above_standard(int fd);

}  // namespace texte
