#pragma once
// Owners for Win32 handles and COM task memory: move-only, closed exactly once, whatever path
// the code takes out of a scope.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <type_traits>
#include <utility>

namespace win {

// Traits: `Type`, `Invalid()` and `Close(Type)`.
template <typename Traits>
class UniqueAny {
 public:
  using Type = typename Traits::Type;

  UniqueAny() = default;
  explicit UniqueAny(Type value) : value_(value) {}
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  ~UniqueAny() { reset(); }

  Type get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  // An owner of an object pointer reaches the object's members.
  Type operator->() const requires std::is_pointer_v<Type> { return value_; }

  Type release() {
    Type value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  void reset(Type value = Traits::Invalid()) {
    if (value_ != Traits::Invalid() && value_ != value) Traits::Close(value_);
    value_ = value;
  }
  // Closes what is held and hands out the address for an out-parameter.
  Type* put() {
    reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Invalid();
};

struct HandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::CloseHandle(value); }
};

// CreateFile reports failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) { ::CloseHandle(value); }
};

// So does FindFirstFile, whose search is ended by FindClose.
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) { ::FindClose(value); }
};

struct HkeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::RegCloseKey(value); }
};

struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::FreeLibrary(value); }
};

template <typename T>
struct CoTaskMemTraits {
  using Type = T*;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::CoTaskMemFree(value); }
};

// GDI objects made by the program (never stock objects, whose deletion is a no-op anyway).
// Deselect an object from every device context before its owner goes out of scope.
template <typename T>
struct GdiObjectTraits {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::DeleteObject(value); }
};

// A device context made with CreateCompatibleDC or CreateDC; not one from GetDC or BeginPaint.
struct DcTraits {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::DeleteDC(value); }
};

struct IconTraits {
  using Type = HICON;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::DestroyIcon(value); }
};

// A window the owner made on its own thread and that no window object manages.
struct WindowTraits {
  using Type = HWND;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::DestroyWindow(value); }
};

using UniqueHandle = UniqueAny<HandleTraits>;
using UniqueFile = UniqueAny<FileHandleTraits>;
using UniqueFind = UniqueAny<FindHandleTraits>;
using UniqueHkey = UniqueAny<HkeyTraits>;
using UniqueModule = UniqueAny<ModuleTraits>;
template <typename T>
using UniqueCoTaskMem = UniqueAny<CoTaskMemTraits<T>>;
using UniquePidl = UniqueCoTaskMem<ITEMIDLIST>;
using UniqueGdiObject = UniqueAny<GdiObjectTraits<HGDIOBJ>>;
using UniqueBitmap = UniqueAny<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueAny<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueAny<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueAny<GdiObjectTraits<HPEN>>;
using UniqueRgn = UniqueAny<GdiObjectTraits<HRGN>>;
using UniqueDc = UniqueAny<DcTraits>;
using UniqueIcon = UniqueAny<IconTraits>;
using UniqueWindow = UniqueAny<WindowTraits>;

}  // namespace win
