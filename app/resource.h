#pragma once
// Resource identifiers of the main program, shared by the resource script and the code.

#define IDI_STASHLY 128
