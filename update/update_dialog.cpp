#include "update/update_dialog.h"

#include <commctrl.h>
#include <process.h>
#include <shellapi.h>

#include "core/number_text.h"
#include "core/web_address.h"
#include "update/download.h"
#include "update/installer_trust.h"
#include "update/renova_resource.h"
#include "update/update_logic.h"
#include "win/shell_paths.h"
#include "win/window.h"

namespace renova {
namespace {

// Worker -> dialog: wParam is the percentage downloaded.
constexpr UINT kProgressMessage = WM_APP + 1;
// Worker -> dialog: the download has ended; wParam is how (Outcome).
constexpr UINT kDoneMessage = WM_APP + 2;
enum Outcome : WPARAM { kFailed, kReady, kRefused };

std::wstring ResourceString(UINT id) {
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(win::CurrentModule(), id, reinterpret_cast<wchar_t*>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring TemporaryFolder() {
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = ::ExpandEnvironmentStringsW(L"%temp%", folder, MAX_PATH);
  return length > 0 && length <= MAX_PATH ? folder : std::wstring();
}

// A new, empty folder of our own under the temporary folder; empty when none can be made.
std::wstring NewFolderIn(const std::wstring& parent) {
  if (parent.empty()) return {};
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::wstring folder =
        win::CombinePath(parent, L"renova-" + stashly::DecimalText(::GetCurrentProcessId()) + L"-" +
                                     stashly::DecimalText(::GetTickCount() + attempt));
    if (folder.empty()) return {};
    if (::CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

// The control with id -1 (the question line). A template's 16- or 32-bit id reaches the window
// as 0xFFFF or as -1, depending on the template and the system; both are this control.
HWND QuestionLine(HWND dialog) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    const auto id = static_cast<DWORD>(::GetWindowLongPtrW(child, GWLP_ID));
    if (id == 0xFFFFFFFF || id == 0xFFFF) return child;
  }
  return nullptr;
}

}  // namespace

CMainDlg::CMainDlg(std::wstring installerAddress, std::wstring productKey, std::wstring newVersion,
                   std::wstring info, std::wstring webSite)
    : installerAddress_(std::move(installerAddress)),
      productKey_(std::move(productKey)),
      newVersion_(std::move(newVersion)),
      info_(std::move(info)),
      webSite_(std::move(webSite)) {}

CMainDlg::~CMainDlg() {
  stop_.Stop();
  WaitForWorker();
}

void CMainDlg::WaitForWorker() {
  if (worker_) ::WaitForSingleObject(worker_.get(), INFINITE);
}

void CMainDlg::OnInitDialog() {
  CenterWindow();
  window_ = hwnd();
  ::SetWindowTextW(QuestionLine(hwnd()),
                   FillIn(ResourceString(IDS_QUESTION), {productKey_, newVersion_}).c_str());
  ::SetDlgItemTextW(hwnd(), IDC_NOTES, ExpandLineBreaks(info_).c_str());
  link_.Attach(::GetDlgItem(hwnd(), IDC_LINK), webSite_);
  progressBar_ = ::GetDlgItem(hwnd(), IDC_PROGRESS);
  ::SendMessageW(progressBar_, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ::SendMessageW(progressBar_, PBM_SETPOS, 0, 0);
  ::ShowWindow(progressBar_, SW_HIDE);
  ::ShowWindow(::GetDlgItem(hwnd(), IDC_STATUS), SW_HIDE);
}

void CMainDlg::StartDownload() {
  if (worker_) return;  // one download per dialog
  ::EnableWindow(::GetDlgItem(hwnd(), IDOK), FALSE);
  ::ShowWindow(progressBar_, SW_SHOWNORMAL);
  ::ShowWindow(::GetDlgItem(hwnd(), IDC_STATUS), SW_SHOWNORMAL);
  // The handle is kept: the dialog, and with it the module, waits for the worker to end.
  worker_.reset(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, Worker, this, 0, nullptr)));
  if (!worker_) Close();
}

void CMainDlg::Close() {
  closed_ = true;
  DestroyWindow();
  ::PostQuitMessage(2);
}

void CMainDlg::ShowProgress(int percent) {
  ::SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  ::SetDlgItemTextW(hwnd(), IDC_STATUS,
                    FillIn(ResourceString(IDS_PROGRESS), {stashly::DecimalText(static_cast<unsigned>(percent))}).c_str());
}

void CMainDlg::ShowRefusal() {
  ::SetWindowTextW(QuestionLine(hwnd()), ResourceString(IDS_REFUSED).c_str());
  ::ShowWindow(progressBar_, SW_HIDE);
  ::ShowWindow(::GetDlgItem(hwnd(), IDC_STATUS), SW_HIDE);
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(hwnd(), IDCANCEL)), TRUE);
}

unsigned __stdcall CMainDlg::Worker(void* argument) {
  auto* self = static_cast<CMainDlg*>(argument);
  const HWND window = self->window_;
  // The installer goes into a new folder of its own, under a name the address cannot turn into
  // a path elsewhere.
  const std::optional<std::wstring> name = InstallerFileName(self->installerAddress_);
  const std::wstring folder = name ? NewFolderIn(TemporaryFolder()) : std::wstring();
  const std::wstring path = folder.empty() ? std::wstring() : win::CombinePath(folder, *name);
  self->installerFolder_ = folder;
  self->installerPath_ = path;
  Outcome outcome = kFailed;
  if (!path.empty()) {
    DownloadOptions options;
    options.progress = [window](int percent) {
      ::PostMessageW(window, kProgressMessage, static_cast<WPARAM>(percent), 0);
    };
    options.stop = &self->stop_;
    if (DownloadToFile(self->installerAddress_.c_str(), path.c_str(), options) &&
        !self->stop_.Stopped())
      outcome = MayStartInstaller(path.c_str()) ? kReady : kRefused;
  }
  self->ready_ = outcome == kReady;
  if (outcome != kReady) self->DiscardInstaller();
  ::PostMessageW(window, kDoneMessage, outcome, 0);
  return 0;
}

void CMainDlg::DiscardInstaller() {
  if (!installerPath_.empty()) ::DeleteFileW(installerPath_.c_str());
  if (!installerFolder_.empty()) ::RemoveDirectoryW(installerFolder_.c_str());
}

void CMainDlg::StartInstaller() {
  const HWND snapwell = ::FindWindowW(nullptr, L"Snapwell");
  const auto started = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", installerPath_.c_str(), nullptr, nullptr, SW_SHOW));
  // An installer that did not start is of no use, and nobody needs to make room for it.
  if (started <= 32) {
    DiscardInstaller();
    return;
  }
  if (snapwell) ::PostMessageW(snapwell, WM_COMMAND, IDCANCEL, 0);
}

bool CMainDlg::Run() {
  const HWND window = CreateModelessFromResource(nullptr, IDD_UPDATE);
  if (!window) return false;
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
  MSG message{};
  BOOL got = FALSE;
  while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
    // Tab, Enter ("升级") and Esc ("取消") work as in any dialog.
    if (::IsWindow(window) && ::IsDialogMessageW(window, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  if (!closed_) {
    // The loop ended on somebody else's quit (or an error): that is no go-ahead. The quit is
    // passed on to whoever runs the loop outside.
    userCancelled_ = true;
    stop_.Stop();
    DestroyWindow();
    if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
  }
  WaitForWorker();
  if (ready_ && !userCancelled_)
    StartInstaller();
  else if (ready_)
    DiscardInstaller();
  return true;
}

bool CMainDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      result = TRUE;  // the system gives the default button the focus
      return true;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          StartDownload();
          result = 0;
          return true;
        case IDCANCEL:  // "取消", Esc and the close box
          userCancelled_ = true;
          stop_.Stop();  // ends the transfer at once, from this thread
          Close();
          result = 0;
          return true;
      }
      break;
    case kProgressMessage:
      ShowProgress(static_cast<int>(wParam));
      result = 0;
      return true;
    case kDoneMessage:
      if (wParam == kRefused)
        ShowRefusal();
      else
        Close();
      result = 0;
      return true;
  }
  return Dialog::HandleMessage(message, wParam, lParam, result);
}

bool ShowUpdateDialog(const std::wstring& installerAddress, const std::wstring& productKey,
                      const std::wstring& newVersion, const std::wstring& info,
                      const std::wstring& webSite) {
  if (!stashly::IsWebAddress(installerAddress)) return false;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  CMainDlg dialog(installerAddress, productKey, newVersion, info, webSite);
  return dialog.Run();
}

}  // namespace renova
