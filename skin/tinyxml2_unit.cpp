// tinyxml2 as the Windows builds compile it: its formatted reads and writes go to the system's
// C runtime (skin/crt_stdio.c). The standard headers it uses are included first, under their own
// names, so that only tinyxml2's own calls are renamed.
#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "skin/crt_stdio.h"

#define snprintf stashly_crt_snprintf
#define vsnprintf stashly_crt_vsnprintf
#define sscanf stashly_crt_sscanf
#define vfprintf stashly_crt_vfprintf
#define printf stashly_crt_printf

#include <tinyxml2.cpp>
