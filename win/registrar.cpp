#include "win/registrar.h"

#include "win/unique_any.h"

namespace win {
namespace {

HRESULT FromStatus(LSTATUS status) {
  return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT LastError() {
  DWORD error = ::GetLastError();
  return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

bool IsGone(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

// Remembers the first failure of a run that goes on after it.
class FirstFailure {
 public:
  void Add(HRESULT result) {
    if (SUCCEEDED(first_) && FAILED(result)) first_ = result;
  }
  HRESULT Get() const { return first_; }

 private:
  HRESULT first_ = S_OK;
};

HRESULT SetString(HKEY key, const wchar_t* name, const std::wstring& data) {
  const size_t bytes = (data.size() + 1) * sizeof(wchar_t);
  if (bytes > MAXDWORD) return E_INVALIDARG;
  return FromStatus(::RegSetValueExW(key, name, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(data.c_str()),
                                     static_cast<DWORD>(bytes)));
}

HRESULT DeleteTree(HKEY parent, const std::wstring& name) {
  LSTATUS status = ::RegDeleteTreeW(parent, name.c_str());
  return IsGone(status) ? S_OK : FromStatus(status);
}

HRESULT RegisterKey(HKEY parent, const RegistryKeyNode& node) {
  if (node.disposition == KeyDisposition::kForceRemove) {
    HRESULT hr = DeleteTree(parent, node.name);
    if (FAILED(hr)) return hr;
  }
  UniqueHkey key;
  LSTATUS status = ::RegCreateKeyExW(parent, node.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return FromStatus(status);
  if (node.hasDefaultValue) {
    HRESULT hr = SetString(key.get(), nullptr, node.defaultValue);
    if (FAILED(hr)) return hr;
  }
  for (const auto& value : node.values) {
    HRESULT hr = SetString(key.get(), value.name.c_str(), value.data);
    if (FAILED(hr)) return hr;
  }
  for (const auto& child : node.keys) {
    HRESULT hr = RegisterKey(key.get(), child);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterKey(HKEY parent, const RegistryKeyNode& node) {
  if (node.disposition == KeyDisposition::kForceRemove) return DeleteTree(parent, node.name);
  UniqueHkey key;
  LSTATUS status = ::RegOpenKeyExW(parent, node.name.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
  if (IsGone(status)) return S_OK;
  if (status != ERROR_SUCCESS) return FromStatus(status);

  FirstFailure result;
  for (const auto& value : node.values) {
    status = ::RegDeleteValueW(key.get(), value.name.c_str());
    if (!IsGone(status)) result.Add(FromStatus(status));
  }
  for (const auto& child : node.keys) result.Add(UnregisterKey(key.get(), child));
  if (node.disposition == KeyDisposition::kNoRemove) return result.Get();

  DWORD subkeys = 0;
  status = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) {
    result.Add(FromStatus(status));
  } else if (subkeys == 0) {
    key.reset();
    status = ::RegDeleteKeyW(parent, node.name.c_str());
    if (!IsGone(status)) result.Add(FromStatus(status));
  }
  return result.Get();
}

HKEY PredefinedKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::kUsers:
      return HKEY_USERS;
    case RegistryRoot::kCurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

constexpr wchar_t kUserClasses[] = L"Software\\Classes";

}  // namespace

HRESULT ApplyRegistryScript(const RegistryScript& script, RegistrarMode mode, bool perUserClasses) {
  FirstFailure result;
  for (const auto& root : script.roots) {
    HKEY base = PredefinedKey(root.root);
    UniqueHkey userClasses;
    if (perUserClasses && root.root == RegistryRoot::kClassesRoot) {
      LSTATUS status = mode == RegistrarMode::kRegister
                           ? ::RegCreateKeyExW(HKEY_CURRENT_USER, kUserClasses, 0, nullptr,
                                               REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                               nullptr, userClasses.put(), nullptr)
                           : ::RegOpenKeyExW(HKEY_CURRENT_USER, kUserClasses, 0,
                                             KEY_READ | KEY_WRITE, userClasses.put());
      if (mode == RegistrarMode::kUnregister && IsGone(status)) continue;
      if (status != ERROR_SUCCESS) {
        if (mode == RegistrarMode::kRegister) return FromStatus(status);
        result.Add(FromStatus(status));
        continue;
      }
      base = userClasses.get();
    }
    for (const auto& key : root.keys) {
      if (mode == RegistrarMode::kRegister) {
        HRESULT hr = RegisterKey(base, key);
        if (FAILED(hr)) return hr;
      } else {
        result.Add(UnregisterKey(base, key));
      }
    }
  }
  return result.Get();
}

HRESULT RunRegistryScriptResource(HMODULE module, UINT id, const RegistryReplacements& replacements,
                                  RegistrarMode mode, bool perUserClasses) {
  HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
  if (!resource) return LastError();
  HGLOBAL loaded = ::LoadResource(module, resource);
  const DWORD size = ::SizeofResource(module, resource);
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data) return LastError();
  RegistryScriptParse parsed =
      ParseRegistryScript(std::string_view(static_cast<const char*>(data), size), replacements);
  if (!parsed.ok()) return kRegistryScriptInvalid;
  return ApplyRegistryScript(parsed.script, mode, perUserClasses);
}

}  // namespace win
