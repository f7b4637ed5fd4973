#pragma once
/* printf and scanf of the system's C runtime, for the skin parser (crt_stdio.c says why). */
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

int stashly_crt_vsnprintf(char* buffer, size_t size, const char* format, va_list args);
int stashly_crt_snprintf(char* buffer, size_t size, const char* format, ...);
int stashly_crt_sscanf(const char* text, const char* format, ...);
int stashly_crt_vfprintf(FILE* stream, const char* format, va_list args);
int stashly_crt_printf(const char* format, ...);

#ifdef __cplusplus
}
#endif
