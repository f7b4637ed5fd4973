#include "win/com_server.h"

#include "core/ascii.h"
#include "win/registrar.h"
#include "win/shell_paths.h"

namespace win {
namespace {

DllModule* currentModule = nullptr;

// One factory object per request; it keeps the server loaded while someone holds it.
class ClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(const ComClassEntry& entry) : entry_(entry) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return entry_.create(iid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    DllModule* module = DllModule::Current();
    if (!module) return S_OK;
    if (lock)
      module->Lock();
    else
      module->Unlock();
    return S_OK;
  }

 private:
  const ComClassEntry& entry_;
};

}  // namespace

DllModule::DllModule(std::span<const ComClassEntry> classes, UINT appIdScript)
    : classes_(classes), appIdScript_(appIdScript) {
  if (!currentModule) {
    currentModule = this;
    initialized_ = true;
  }
}

DllModule::~DllModule() {
  if (currentModule == this) currentModule = nullptr;
}

DllModule* DllModule::Current() {
  return currentModule;
}

LONG DllModule::Lock() {
  return ::InterlockedIncrement(&lockCount_);
}

LONG DllModule::Unlock() {
  return ::InterlockedDecrement(&lockCount_);
}

LONG DllModule::GetLockCount() const {
  return ::InterlockedCompareExchange(&lockCount_, 0, 0);
}

HRESULT DllModule::GetGlobalInterfaceTable(IGlobalInterfaceTable** table) {
  if (!table) return E_POINTER;
  *table = nullptr;
  return ::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                            IID_IGlobalInterfaceTable, reinterpret_cast<void**>(table));
}

void DllModule::AddReplacements(RegistryReplacements&) {}

HRESULT DllModule::CanUnloadNow() const {
  return GetLockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT DllModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ComClassEntry& entry : classes_) {
    if (!::IsEqualCLSID(*entry.clsid, clsid)) continue;
    ClassFactory* factory = new (std::nothrow) ClassFactory(entry);
    if (!factory) return E_OUTOFMEMORY;
    factory->AddRef();
    HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

RegistryReplacements DllModule::Replacements() {
  const std::wstring path = ModuleFilePath(instance_);
  RegistryReplacements replacements = {{L"MODULE", path}, {L"MODULE_RAW", path}};
  AddReplacements(replacements);
  return replacements;
}

HRESULT DllModule::RegisterServer(bool perUserClasses) {
  // Registration runs under the system's default locale, whatever the calling thread uses.
  ScopedThreadLocale locale(LOCALE_SYSTEM_DEFAULT);
  const RegistryReplacements replacements = Replacements();
  if (appIdScript_) {
    HRESULT hr = RunRegistryScriptResource(instance_, appIdScript_, replacements,
                                           RegistrarMode::kRegister, perUserClasses);
    if (FAILED(hr)) return hr;
  }
  for (const ComClassEntry& entry : classes_) {
    if (!entry.registryScript) continue;
    HRESULT hr = RunRegistryScriptResource(instance_, entry.registryScript, replacements,
                                           RegistrarMode::kRegister, perUserClasses);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT DllModule::UnregisterServer(bool perUserClasses) {
  ScopedThreadLocale locale(LOCALE_SYSTEM_DEFAULT);
  const RegistryReplacements replacements = Replacements();
  for (const ComClassEntry& entry : classes_) {
    if (!entry.registryScript) continue;
    HRESULT hr = RunRegistryScriptResource(instance_, entry.registryScript, replacements,
                                           RegistrarMode::kUnregister, perUserClasses);
    if (FAILED(hr)) return hr;
  }
  if (appIdScript_)
    return RunRegistryScriptResource(instance_, appIdScript_, replacements,
                                     RegistrarMode::kUnregister, perUserClasses);
  return S_OK;
}

HRESULT DllModule::Install(BOOL install, const wchar_t* commandLine) {
  const bool perUser = commandLine && stashly::EqualsAsciiNoCase(commandLine, L"user");
  if (!install) return UnregisterServer(perUser);
  HRESULT hr = RegisterServer(perUser);
  if (FAILED(hr)) UnregisterServer(perUser);
  return hr;
}

}  // namespace win
