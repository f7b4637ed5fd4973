#pragma once
// The update dialog: what is new, and on request the installer's download with a progress bar.
// It runs on the thread of the version check, with a message loop of its own; the download runs
// on a worker thread, which reaches the dialog only through posted messages.
#include <windows.h>

#include <atomic>
#include <string>

#include "update/hyperlink.h"
#include "win/dialog.h"
#include "win/internet.h"
#include "win/unique_any.h"

namespace renova {

class CMainDlg : public win::Dialog {
 public:
  CMainDlg(std::wstring installerAddress, std::wstring productKey, std::wstring newVersion,
           std::wstring info, std::wstring webSite);
  // Stops and waits for a worker that still runs: the module is never unloaded under it.
  ~CMainDlg() override;

  // Runs the dialog until it closes; then, when the installer arrived whole, passed the trust
  // check (MayStartInstaller) and the user did not cancel, starts it. An installer that fails the
  // check is deleted at once and the dialog says so until the user closes it. False when the
  // dialog could not be made.
  bool Run();

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnInitDialog();
  void StartDownload();
  void Close();
  void ShowProgress(int percent);
  void ShowRefusal();
  void WaitForWorker();
  void StartInstaller();
  void DiscardInstaller();
  static unsigned __stdcall Worker(void* self);

  const std::wstring installerAddress_;
  const std::wstring productKey_;
  const std::wstring newVersion_;
  const std::wstring info_;
  const std::wstring webSite_;
  // Written by the worker before the download starts, read after it has ended.
  std::wstring installerFolder_;
  std::wstring installerPath_;
  HWND window_ = nullptr;           // the dialog's window, for the worker's messages
  std::atomic<bool> ready_{false};  // downloaded whole and trusted
  win::WebStop stop_;
  bool userCancelled_ = false;
  bool closed_ = false;
  HWND progressBar_ = nullptr;
  CHyperLink link_;
  win::UniqueHandle worker_;
};

// Shows the dialog for a newer version (see CMainDlg::Run); when it starts the installer, the
// window titled "Snapwell", if there is one, is asked to close. False, without a dialog, when the
// address is no http:// or https:// address or the dialog cannot be made.
bool ShowUpdateDialog(const std::wstring& installerAddress, const std::wstring& productKey,
                      const std::wstring& newVersion, const std::wstring& info,
                      const std::wstring& webSite);

}  // namespace renova
