#pragma once
// Builds a standard (not extended) in-memory dialog template with no controls, byte for byte as
// DialogBoxIndirectParamW and CreateDialogIndirectParamW read it. Needs no <windows.h>, so the
// layout is tested natively as well.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// The few style bits a template needs; the same values as the system headers.
inline constexpr std::uint32_t kDsSetFont = 0x40;
inline constexpr std::uint32_t kDsModalFrame = 0x80;
inline constexpr std::uint32_t kDsFixedSys = 0x08;
inline constexpr std::uint32_t kDsShellFont = kDsSetFont | kDsFixedSys;
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;

class DialogTemplate {
 public:
  DialogTemplate& Style(std::uint32_t style) {
    style_ = style;
    return *this;
  }
  DialogTemplate& ExStyle(std::uint32_t exStyle) {
    exStyle_ = exStyle;
    return *this;
  }
  // Position and size in dialog units.
  DialogTemplate& Bounds(std::int16_t x, std::int16_t y, std::int16_t cx, std::int16_t cy) {
    x_ = x;
    y_ = y;
    cx_ = cx;
    cy_ = cy;
    return *this;
  }
  DialogTemplate& Title(std::u16string_view title) {
    title_ = title;
    return *this;
  }
  // A window class of the program's own (registered with RegisterDialogClass) instead of the
  // system's dialog class.
  DialogTemplate& WindowClass(std::u16string_view name) {
    class_ = name;
    return *this;
  }
  // Adds DS_SETFONT to the style when the template is built.
  DialogTemplate& Font(std::uint16_t pointSize, std::u16string_view face = u"MS Shell Dlg") {
    hasFont_ = true;
    pointSize_ = pointSize;
    face_ = face;
    return *this;
  }

  // The template: DLGTEMPLATE, menu 0, the class (0: the system's), the title, then the font block when a font was
  // given. The size is a multiple of four so that a control could follow. Without a font the
  // DS_SETFONT bit is dropped, since the system would read a font block that is not there.
  // A vector's storage comes from operator new, which aligns it for a DWORD.
  std::vector<std::uint8_t> Build() const;

 private:
  std::uint32_t style_ = 0;
  std::uint32_t exStyle_ = 0;
  std::int16_t x_ = 0, y_ = 0, cx_ = 0, cy_ = 0;
  std::u16string title_;
  std::u16string class_;
  bool hasFont_ = false;
  std::uint16_t pointSize_ = 0;
  std::u16string face_;
};

}  // namespace win
