// Clickwell.dll as an in-process COM server: its module object, its classes and the five
// standard exports.
#include <windows.h>
#include <objbase.h>

#include "context_menu/clickwell_class.h"
#include "context_menu/clickwell_ids.h"
#include "context_menu/clickwell_resource.h"
#include "context_menu/explorer_command.h"
#include "win/com_server.h"

namespace clickwell {
namespace {

const win::ComClassEntry kClasses[] = {
    {&kClickwellClassId, &win::CreateComObject<CClickwellClass>, IDR_CLICKWELL_CLASS},
    // Registered by the sparse package on Windows 11, never by regsvr32.
    {&kAddCommandClassId, &win::CreateComObject<CAddCommand>, 0},
    {&kOpenCommandClassId, &win::CreateComObject<COpenCommand>, 0},
};

class CClickwellModule final : public win::DllModule {
 public:
  CClickwellModule() : DllModule(kClasses, IDR_CLICKWELL_APPID) {}
  void AddReplacements(win::RegistryReplacements& replacements) override {
    replacements.emplace_back(L"APPID", kAppIdText);
  }
};

CClickwellModule clickwellModule;

}  // namespace
}  // namespace clickwell

using clickwell::clickwellModule;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    clickwellModule.SetInstance(instance);
    return clickwellModule.Initialized();
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() {
  return clickwellModule.CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  return clickwellModule.GetClassObject(clsid, iid, out);
}

STDAPI DllRegisterServer() {
  return clickwellModule.RegisterServer(false);
}

STDAPI DllUnregisterServer() {
  return clickwellModule.UnregisterServer(false);
}

extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
  return clickwellModule.Install(install, commandLine);
}
