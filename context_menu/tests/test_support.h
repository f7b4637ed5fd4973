#pragma once
// What the Clickwell tests and the benchmark share: the paths of the built files, regsvr32,
// registry reading, and a data object like the one Explorer hands a handler.
#include <windows.h>
#include <objidl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "win/com_server.h"

namespace clickwell::test {

// Clickwell.dll, which the build puts beside the test program.
std::wstring ClickwellPath();
std::wstring Quoted(const std::wstring& text);

// Runs "regsvr32.exe <arguments>" and waits for it; its exit code, or ~0u when it did not run.
DWORD RunRegsvr32(const std::wstring& arguments);

bool KeyExists(HKEY root, const std::wstring& path);
// A REG_SZ value; `name` null for the key's default value.
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, const wchar_t* name);
std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path);
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& path);
void WriteString(HKEY root, const std::wstring& path, const wchar_t* name,
                 const std::wstring& value);
void DeleteTree(HKEY root, const std::wstring& path);

// A DROPFILES block listing `files` (wide, or in the thread's ANSI code page).
std::vector<char> DropFiles(const std::vector<std::wstring>& files, bool wide = true);

// A data object that offers a CF_HDROP block in global memory, or nothing at all.
class DropDataObject final : public win::ComObject<IDataObject> {
 public:
  // `drop` empty: the object offers no CF_HDROP, unless `offered` says it offers an empty block.
  explicit DropDataObject(std::vector<char> drop, bool offered = false)
      : drop_(std::move(drop)), offered_(offered || !drop_.empty()) {}

  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~DropDataObject() override = default;
  std::vector<char> drop_;
  bool offered_;
};

// A suite run with the real Clickwell.dll registered through regsvr32, in a single-threaded
// apartment, as Explorer has it; unregistered again afterwards.
class RegisteredClickwellTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    registered_ = RunRegsvr32(L"/s " + Quoted(ClickwellPath())) == 0;
  }
  static void TearDownTestSuite() {
    RunRegsvr32(L"/s /u " + Quoted(ClickwellPath()));
    ::CoUninitialize();
  }
  static bool registered() { return registered_; }

 private:
  static inline bool registered_ = false;
};

}  // namespace clickwell::test
