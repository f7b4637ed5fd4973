// An Explorer of its own for the stress test: right-clicks <count> made-up files and picks
// "添加到 Velto文件收藏夹" for each, through the registered extension, as fast as it can.
//   add_probe.exe <folder> <count>     (files <folder>\0.txt, <folder>\1.txt, ...)
// Exit code: how many adds did not return S_OK (0: all did).
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "context_menu/clickwell_ids.h"
#include "context_menu/tests/test_support.h"
#include "win/com_ptr.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 1000;
  const std::wstring prefix = argv[1];
  const int count = _wtoi(argv[2]);
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    win::ComPtr<clickwell::test::DropDataObject> selection;
    selection.Attach(new clickwell::test::DropDataObject(
        clickwell::test::DropFiles({prefix + L"\\" + std::to_wstring(i) + L".txt"})));
    win::ComPtr<IShellExtInit> init;
    if (FAILED(::CoCreateInstance(clickwell::kClickwellClassId, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IShellExtInit, init.put_void())) ||
        FAILED(init->Initialize(nullptr, selection.get(), nullptr))) {
      ++failed;
      continue;
    }
    auto menu = init.Query<IContextMenu>();
    clickwell::test::FillMenu(menu.get());
    if (clickwell::test::InvokeOffset(menu.get(), 1) != S_OK) ++failed;
  }
  ::CoUninitialize();
  return failed;
}
