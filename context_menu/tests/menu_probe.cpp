// An Explorer of its own at the display scale Wine gave it as it started (the user's LogPixels
// value): builds the context menu through the registered extension and answers with the size of
// the bitmap on the first entry.
//   menu_probe.exe     exit code: the bitmap's side (0: no bitmap, 1000: no handler, 1001: not
//                      square)
#include <windows.h>
#include <shlobj.h>

#include "context_menu/clickwell_ids.h"
#include "win/com_ptr.h"

int wmain() {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int side = 1000;
  {
    win::ComPtr<IContextMenu> handler;
    HMENU menu = ::CreatePopupMenu();
    if (menu &&
        SUCCEEDED(::CoCreateInstance(clickwell::kClickwellClassId, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IContextMenu, handler.put_void()))) {
      handler->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL);
      MENUITEMINFOW item{};
      item.cbSize = sizeof item;
      item.fMask = MIIM_CHECKMARKS;
      BITMAP bitmap{};
      side = ::GetMenuItemInfoW(menu, 0, TRUE, &item) &&
                     ::GetObjectW(item.hbmpChecked, sizeof bitmap, &bitmap)
                 ? (bitmap.bmWidth == bitmap.bmHeight ? bitmap.bmWidth : 1001)
                 : 0;
    }
    if (menu) ::DestroyMenu(menu);
  }
  ::CoUninitialize();
  return side;
}
