// What happens when an exception leaves a thread uncaught: the process ends, as it would anyway.
// The runtime's own handler would first print the exception's type, demangled, to a console
// these programs do not have; replacing it keeps the whole C++ name demangler out of every
// binary.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  std::abort();
}

}  // namespace __gnu_cxx
