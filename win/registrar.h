#pragma once
// Writes a parsed registration script to the registry, or removes what it wrote.
//
// Register: a ForceRemove key is deleted with everything below it, then every key is created
// (or opened) and its default and named values are set, parents before children. The first
// failure stops the run and is returned.
// Unregister: a ForceRemove key is deleted with everything below it; a NoRemove key stays and
// only its named values and sub-keys are processed; any other key loses its named values and
// sub-keys as listed and is deleted once no sub-key is left in it (keys that others added keep
// it). Keys that are already gone count as removed. Every key is tried; the first failure is
// returned.
#include <windows.h>

#include "win/registry_script.h"

namespace win {

enum class RegistrarMode { kRegister, kUnregister };

// `perUserClasses`: what the script puts under HKEY_CLASSES_ROOT goes to
// HKEY_CURRENT_USER\Software\Classes instead.
HRESULT ApplyRegistryScript(const RegistryScript& script, RegistrarMode mode, bool perUserClasses);

// Parses the REGISTRY resource `id` of `module` (UTF-8 text) with `replacements` and applies
// it. A script that does not parse changes nothing and yields kRegistryScriptInvalid.
HRESULT RunRegistryScriptResource(HMODULE module, UINT id, const RegistryReplacements& replacements,
                                  RegistrarMode mode, bool perUserClasses);

// HRESULT_FROM_WIN32(ERROR_INVALID_DATA)
inline constexpr HRESULT kRegistryScriptInvalid = static_cast<HRESULT>(0x8007000DL);

// Sets the calling thread's locale for the lifetime of the object, then puts the old one back.
class ScopedThreadLocale {
 public:
  explicit ScopedThreadLocale(LCID locale) : saved_(::GetThreadLocale()) {
    ::SetThreadLocale(locale);
  }
  ~ScopedThreadLocale() { ::SetThreadLocale(saved_); }
  ScopedThreadLocale(const ScopedThreadLocale&) = delete;
  ScopedThreadLocale& operator=(const ScopedThreadLocale&) = delete;

 private:
  LCID saved_;
};

}  // namespace win
