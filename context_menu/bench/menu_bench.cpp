// What a right-click costs Explorer with this handler, against a handler that does nothing, in
// the same run: per menu, create the handler, Initialize it with a one-file selection, let it
// fill a menu of ten items, release it.
//   clickwell_bench.exe [rounds]
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "win/com_ptr.h"
#include "context_menu/tests/test_support.h"
#include "win/module.h"
#include "win/unique_any.h"

namespace {

using win::ComPtr;
using clickwell::test::DropDataObject;

class NullHandler final : public win::ComObject<IShellExtInit, IContextMenu> {
 public:
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) override { return S_OK; }
  STDMETHODIMP QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return S_OK; }
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) override { return E_NOTIMPL; }

 private:
  ~NullHandler() override = default;
};

class NullFactory final : public win::ComObject<IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override {
    return win::CreateComObject<NullHandler>(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  ~NullFactory() override = default;
};

// One right-click: nanoseconds it took.
double RightClick(IClassFactory* factory, IDataObject* data) {
  LARGE_INTEGER start, end, frequency;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  HMENU menu = ::CreatePopupMenu();
  for (UINT i = 0; i < 10; ++i) ::AppendMenuW(menu, MF_STRING, 1000 + i, L"Explorer's own entry");
  {
    ComPtr<IShellExtInit> init;
    factory->CreateInstance(nullptr, IID_IShellExtInit, init.put_void());
    init->Initialize(nullptr, data, nullptr);
    init.Query<IContextMenu>()->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
  }
  ::DestroyMenu(menu);
  ::QueryPerformanceCounter(&end);
  return 1e9 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20000;
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int status = 1;
  {
    win::UniqueModule clickwell(::LoadLibraryW(clickwell::test::ClickwellPath().c_str()));
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = win::GetExport<GetClassObject>(clickwell.get(), "DllGetClassObject");
    // {EDE9C14E-B540-40BD-9592-1770FCDF08F4}
    const CLSID clsid = {
        0xEDE9C14E, 0xB540, 0x40BD, {0x95, 0x92, 0x17, 0x70, 0xFC, 0xDF, 0x08, 0xF4}};
    ComPtr<IClassFactory> ours;
    if (getClassObject) getClassObject(clsid, IID_IClassFactory, ours.put_void());
    if (ours) {
      NullFactory* rawNull = new NullFactory();
      rawNull->AddRef();
      ComPtr<IClassFactory> none;
      none.Attach(rawNull);
      DropDataObject* rawData = new DropDataObject(
          clickwell::test::DropFiles({L"C:\\Users\\me\\Documents\\report.docx"}));
      rawData->AddRef();
      ComPtr<IDataObject> data;
      data.Attach(rawData);

      // Interleaved, so both see the same machine state.
      std::vector<double> withClickwell, withNothing;
      for (int i = 0; i < 200; ++i)
        RightClick(ours.get(), data.get()), RightClick(none.get(), data.get());
      for (int i = 0; i < rounds; ++i) {
        withClickwell.push_back(RightClick(ours.get(), data.get()));
        withNothing.push_back(RightClick(none.get(), data.get()));
      }
      const double ourTime = Median(withClickwell);
      const double nullTime = Median(withNothing);
      std::printf(
          "rounds %d\nclickwell  %.1f us per right-click (median)\n"
          "do-nothing %.1f us per right-click (median)\nratio %.2f\n",
          rounds, ourTime / 1000, nullTime / 1000, ourTime / nullTime);
      status = 0;
    } else {
      std::printf("Clickwell.dll could not be loaded beside this program\n");
    }
  }
  ::CoUninitialize();
  return status;
}
