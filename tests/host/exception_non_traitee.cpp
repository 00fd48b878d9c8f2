// A program built as the shipped ones are, that lets a C++ exception escape:
// what their terminate handler says, read back from a console's screen.
#include <stdexcept>

int main() { throw std::runtime_error("jamais attrapée"); }
