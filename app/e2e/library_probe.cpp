// Stands in for the update module and the helper library beside the program: each records how
// the program called it (arguments, calling thread, order), so a test can check the bindings.
#include <windows.h>

#include <string>

#include "abi/xunknown.h"

namespace {

void Record(const std::wstring& line) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring path = std::wstring(temp) + L"stashly_library_probe.txt";
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::wstring text = line + L" thread=" + std::to_wstring(::GetCurrentThreadId()) + L"\n";
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
              nullptr);
  ::CloseHandle(file);
}

std::wstring Text(const wchar_t* s) {
  return s ? std::wstring(L"\"") + s + L"\"" : L"null";
}

bool IsStatistic(const GUID* iid) {
  return iid && ::memcmp(iid, &stashly::IID_IStatistic, sizeof(GUID)) == 0;
}

class Statistic final : public stashly::IStatistic {
 public:
  LONG STDMETHODCALLTYPE QueryInterface(const GUID* iid, void** out) override {
    Record(L"QueryInterface statistic=" + std::to_wstring(IsStatistic(iid)));
    if (!out) return E_POINTER;
    *out = IsStatistic(iid) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    Record(L"Release");
    ULONG left = --count_;
    if (!left) delete this;
    return left;
  }
  int STDMETHODCALLTYPE Report(const wchar_t* base) override {
    Record(L"Report " + Text(base));
    return 1;
  }

 private:
  ULONG count_ = 1;
};

}  // namespace

extern "C" stashly::IXUnknown* WINAPI CreateInstance(const GUID* iid) {
  Record(L"CreateInstance statistic=" + std::to_wstring(IsStatistic(iid)));
  return IsStatistic(iid) ? new Statistic : nullptr;
}

extern "C" int WINAPI CheckForNewVersion(const wchar_t* iniUrl, const wchar_t* productKey,
                                         const wchar_t* currentVersion) {
  Record(L"CheckForNewVersion " + Text(iniUrl) + L" " + Text(productKey) + L" " +
         Text(currentVersion));
  return 1;
}
