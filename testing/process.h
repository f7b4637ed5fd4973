#pragma once
// Starting the programs a test drives: helpers, probes, the setup, regsvr32.
#include <windows.h>

#include <string>

#include "win/unique_any.h"

namespace win::testing {

// Starts a whole command line; the process, or an empty handle when it did not start. `pid`, when
// given, receives its id.
inline UniqueHandle StartProcess(std::wstring command, DWORD* pid = nullptr) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return {};
  ::CloseHandle(process.hThread);
  if (pid) *pid = process.dwProcessId;
  return UniqueHandle(process.hProcess);
}

// Runs a command line to its end; its exit code, or ~0u when it did not start or end in time.
inline DWORD RunToEnd(std::wstring command, DWORD timeoutMs) {
  UniqueHandle process = StartProcess(std::move(command));
  if (!process || ::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) return ~0u;
  DWORD code = ~0u;
  ::GetExitCodeProcess(process.get(), &code);
  return code;
}

}  // namespace win::testing
