// The program's entry: one instance per desktop, found by its main window's class and title.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/main_dlg.h"
#include "store/favorites_file.h"
#include "win/message_loop.h"

namespace {

win::AppModule appModule;

int Run(int show) {
  win::MessageLoop loop;
  appModule.AddMessageLoop(&loop);
  int result = 0;
  {
    stashly::CMainDlg mainDlg;
    if (mainDlg.CreateModeless(nullptr)) {
      ::ShowWindow(mainDlg.hwnd(), show);
      result = loop.Run();
    }
  }
  appModule.RemoveMessageLoop();
  return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // OLE, not just COM: the window takes dropped files.
  ::OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (HWND running = stashly::FindMainWindow()) {
    ::ShowWindow(running, ::IsIconic(running) ? SW_RESTORE : SW_SHOW);
    return 0;
  }
  appModule.Init(instance);
  int result = Run(show);
  appModule.Term();
  ::OleUninitialize();
  return result;
}
