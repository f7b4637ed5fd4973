// Stands in for the main program when a test points "installpath" at it: it signals the event
// the test waits on, and ends.
#include <windows.h>

#include "context_menu/tests/launch_probe.h"
#include "win/unique_any.h"

int wmain() {
  win::UniqueHandle started(::OpenEventW(EVENT_MODIFY_STATE, FALSE, kLaunchProbeEvent));
  return started && ::SetEvent(started.get()) ? 0 : 1;
}
