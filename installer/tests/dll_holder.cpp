// Holds a DLL loaded, as Explorer holds Clickwell.dll after a right-click:
//   dll_holder <dll> <event>
// loads the DLL, sets the named event the test waits on, then keeps the DLL until it is ended.
// Exit code 1 when the DLL does not load.
#include <windows.h>

#include "win/unique_any.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  win::UniqueModule dll(::LoadLibraryW(argv[1]));
  if (!dll) return 1;
  win::UniqueHandle loaded(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
  if (!loaded || !::SetEvent(loaded.get())) return 2;
  ::Sleep(INFINITE);
  return 0;
}
