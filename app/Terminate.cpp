// An exception that nothing catches ends the program at once. The library's
// default handler would first print the exception's demangled type name to a
// console that a GUI program does not have, and would bring some 60 KB of
// demangler and formatted output into the executable to do so.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
