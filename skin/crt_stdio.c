/* The few formatted reads and writes of the skin parser, done by the system's C runtime.
   MinGW's C++ headers send every printf and scanf of a C++ file to MinGW's own implementation,
   which brings its floating-point formatting and parsing (some 55 KB) into the program; a C file
   can still ask for the runtime's. snprintf keeps its C99 meaning: the result always ends in a
   NUL within `size`, and the return value is the length the whole text needs. */
#include "skin/crt_stdio.h"

#include <stdio.h>

int stashly_crt_vsnprintf(char* buffer, size_t size, const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int needed = _vscprintf(format, measure);
  va_end(measure);
  if (size > 0) {
    _vsnprintf(buffer, size - 1, format, args);
    buffer[size - 1] = '\0';
  }
  return needed;
}

int stashly_crt_snprintf(char* buffer, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int needed = stashly_crt_vsnprintf(buffer, size, format, args);
  va_end(args);
  return needed;
}

int stashly_crt_sscanf(const char* text, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int read = vsscanf(text, format, args);
  va_end(args);
  return read;
}

int stashly_crt_vfprintf(FILE* stream, const char* format, va_list args) {
  return vfprintf(stream, format, args);
}

int stashly_crt_printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = vprintf(format, args);
  va_end(args);
  return written;
}
