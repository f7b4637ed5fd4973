#pragma once
// An in-process COM server: the module object (lock count, class table, registration), one
// table-driven class factory, and the reference-counting base of the objects it hands out.
// The DLL defines one module object and forwards its exports to it; DllMain only stores the
// module handle.
#include <windows.h>
#include <objbase.h>

#include <new>
#include <span>

#include "win/registry_script.h"

namespace win {

// One class the server hands out.
struct ComClassEntry {
  const CLSID* clsid;
  // Creates a new object and returns its `iid` interface in `out` (never null here).
  HRESULT (*create)(REFIID iid, void** out);
  UINT registryScript;  // REGISTRY resource that (un)registers the class; 0 for none
};

class DllModule {
 public:
  DllModule(const DllModule&) = delete;
  DllModule& operator=(const DllModule&) = delete;
  virtual ~DllModule();

  virtual LONG Lock();
  virtual LONG Unlock();
  virtual LONG GetLockCount() const;
  // The process's global interface table (a new reference).
  virtual HRESULT GetGlobalInterfaceTable(IGlobalInterfaceTable** table);
  // Names the registration scripts may use besides MODULE and MODULE_RAW (both this file's
  // full path), which are already in the map.
  virtual void AddReplacements(RegistryReplacements& replacements);

  // The module object of this DLL; null while there is none.
  static DllModule* Current();

  // False when a second module object was made: the DLL must then refuse to load.
  bool Initialized() const { return initialized_; }
  HINSTANCE Instance() const { return instance_; }
  void SetInstance(HINSTANCE instance) { instance_ = instance; }

  // What the standard exports do.
  HRESULT CanUnloadNow() const;
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
  HRESULT RegisterServer(bool perUserClasses);
  HRESULT UnregisterServer(bool perUserClasses);
  // DllInstall: the command line "user" (whole, any case) registers under
  // HKEY_CURRENT_USER\Software\Classes; a failed install is undone.
  HRESULT Install(BOOL install, const wchar_t* commandLine);

 protected:
  // `appIdScript`: REGISTRY resource for the server's AppID, run before the classes' scripts
  // on register and after them on unregister; 0 for none.
  DllModule(std::span<const ComClassEntry> classes, UINT appIdScript);

 private:
  RegistryReplacements Replacements();

  std::span<const ComClassEntry> classes_;
  UINT appIdScript_;
  HINSTANCE instance_ = nullptr;
  bool initialized_ = false;
  mutable LONG lockCount_ = 0;
};

// Reference counting and QueryInterface for an object implementing `Interfaces`; each live
// object holds a lock on the module. IUnknown is answered with the first interface.
template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown) {
      *out = static_cast<IUnknown*>(static_cast<First*>(this));
    } else {
      ((iid == __uuidof(Interfaces) ? (*out = static_cast<Interfaces*>(this), true) : false) ||
       ...);
    }
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
  }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // Work that may fail, after construction; a failure destroys the object.
  HRESULT FinalConstruct() { return S_OK; }

 protected:
  ComObject() {
    if (DllModule* module = DllModule::Current()) module->Lock();
  }
  virtual ~ComObject() {
    if (DllModule* module = DllModule::Current()) module->Unlock();
  }

 private:
  template <typename T, typename...>
  struct FirstOf {
    using Type = T;
  };
  using First = typename FirstOf<Interfaces...>::Type;

  LONG references_ = 0;
};

// Creates a T (a ComObject), runs its FinalConstruct and returns its `iid` interface.
template <typename T>
HRESULT CreateComObject(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  T* object = new (std::nothrow) T();
  if (!object) return E_OUTOFMEMORY;
  object->AddRef();
  HRESULT hr = object->FinalConstruct();
  if (SUCCEEDED(hr)) hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

}  // namespace win
