#include "app/library_loader.h"

#include <shlwapi.h>

#include <string>

#include "store/settings_store.h"
#include "win/module.h"

namespace stashly {

IXUnknown* LibraryLoader::CreateObject(const GUID& iid) {
  if (!library_) {
    const std::wstring path = win::FileBesideProgram(fileName_);
    if (path.empty() || !::PathFileExistsW(path.c_str())) return nullptr;
    library_ = ::LoadLibraryW(path.c_str());
    if (!library_) return nullptr;
  }
  if (!factory_) {
    factory_ = win::GetExport<CreateInstanceFn>(library_, "CreateInstance");
    if (!factory_) return nullptr;
  }
  if (current_) {
    current_->Release();
    current_ = nullptr;
  }
  current_ = factory_(&iid);
  return current_;
}

LibraryLoader& CoreletLoader() {
  static LibraryLoader loader(L"Corelet.dll");
  return loader;
}

bool UsageReportWanted() {
  DWORD value = 1;
  return !ReadSettingDword(kUsageReportValue, value) || value != 0;
}

void ReportUsage(LibraryLoader& loader, const wchar_t* base) {
  IXUnknown* object = loader.CreateObject(IID_IStatistic);
  if (!object) return;
  void* statistic = nullptr;
  if (object->QueryInterface(&IID_IStatistic, &statistic) < 0 || !statistic) return;
  // QueryInterface adds no reference: the loader's reference keeps the object alive.
  static_cast<IStatistic*>(statistic)->Report(base);
}

}  // namespace stashly
