#include "app/library_loader.h"

#include <shlwapi.h>

#include <string>

#include "store/settings_store.h"
#include "win/module.h"

namespace stashly {

win::ComPtr<IXUnknown> LibraryLoader::CreateObject(const GUID& iid) {
  if (!library_) {
    const std::wstring path = win::FileBesideProgram(fileName_);
    if (path.empty() || !::PathFileExistsW(path.c_str())) return {};
    library_.reset(::LoadLibraryW(path.c_str()));
    if (!library_) return {};
  }
  if (!factory_) {
    factory_ = win::GetExport<CreateInstanceFn>(library_.get(), "CreateInstance");
    if (!factory_) return {};
  }
  win::ComPtr<IXUnknown> object;
  object.Attach(factory_(&iid));
  return object;
}

bool UsageReportWanted() {
  DWORD value = 1;
  return !ReadSettingDword(kUsageReportValue, value) || value != 0;
}

void ReportUsage(const wchar_t* base) {
  LibraryLoader corelet(L"Corelet.dll");
  win::ComPtr<IXUnknown> object = corelet.CreateObject(IID_IStatistic);
  if (!object) return;
  void* statistic = nullptr;
  // QueryInterface adds no reference: `object` keeps it alive.
  if (object->QueryInterface(&IID_IStatistic, &statistic) < 0 || !statistic) return;
  static_cast<IStatistic*>(statistic)->Report(base);
}

}  // namespace stashly
