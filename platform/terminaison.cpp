// Windows programs and DLLs link the C++ runtime statically. Its default
// terminate handler names the uncaught exception's type, and for that
// brings in the whole C++ symbol demangler (about 50 KB a binary). This one
// says the same in one line and ends the program as the default does.
#include <cstdio>
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::fputs("Erreur interne : exception C++ non traitée, arrêt du programme.\n", stderr);
    std::abort();
}

}  // namespace __gnu_cxx
