// Replaces libstdc++'s default terminate handler in the Windows executables. The default one
// demangles the exception's type to print it on a console these programs do not have, and its
// demangler and printf alone were a fifth of quenlox.exe. No exception is meant to get this far:
// every handler runs under the error report.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
