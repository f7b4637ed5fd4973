#pragma once
// The main window as a place to drop files and folders on: it takes whatever offers file names
// (CF_HDROP), shows the copy cursor for it and refuses anything else.
#include <windows.h>
#include <oleidl.h>

#include <functional>
#include <string>
#include <vector>

#include "win/com_server.h"

namespace stashly {

class CDropTarget final : public win::ComObject<IDropTarget> {
 public:
  using DropHandler = std::function<void(std::vector<std::wstring> names)>;
  explicit CDropTarget(DropHandler onDrop) : onDrop_(std::move(onDrop)) {}

  STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

 private:
  ~CDropTarget() override = default;
  DWORD Effect(DWORD allowed) const;

  DropHandler onDrop_;
  bool offersNames_ = false;
};

// Registers `window` as a drop target that hands what is dropped on it to `onDrop`, and revokes
// the registration when it goes. OLE must be initialised on the thread.
class DropRegistration {
 public:
  DropRegistration() = default;
  DropRegistration(const DropRegistration&) = delete;
  DropRegistration& operator=(const DropRegistration&) = delete;
  ~DropRegistration() { Revoke(); }

  bool Register(HWND window, CDropTarget::DropHandler onDrop);
  void Revoke();

 private:
  HWND window_ = nullptr;
};

}  // namespace stashly
