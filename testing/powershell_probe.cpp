// Stands in for the system's PowerShell in a test prefix (Wine has none): appends its command
// line to %TEMP%\stashly_powershell_probe.txt and succeeds, as a registration that worked would.
#include <windows.h>

#include "testing/powershell_probe.h"

int main() {
  win::testing::AppendLine(win::testing::PowerShellProbeLogPath(), ::GetCommandLineW());
  return 0;
}
