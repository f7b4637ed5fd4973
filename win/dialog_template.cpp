#include "win/dialog_template.h"

#include <new>

namespace win {
namespace {

static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ >= 4, "template buffers must be DWORD-aligned");

void PutWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutDword(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutWord(out, static_cast<std::uint16_t>(value & 0xFFFF));
  PutWord(out, static_cast<std::uint16_t>(value >> 16));
}

// A zero-terminated UTF-16 string; text after an embedded zero could not be read back anyway.
void PutString(std::vector<std::uint8_t>& out, std::u16string_view text) {
  for (char16_t c : text) {
    if (c == 0) break;
    PutWord(out, static_cast<std::uint16_t>(c));
  }
  PutWord(out, 0);
}

}  // namespace

std::vector<std::uint8_t> DialogTemplate::Build() const {
  std::uint32_t style = style_;
  if (hasFont_)
    style |= kDsSetFont;
  else
    style &= ~kDsSetFont;

  std::vector<std::uint8_t> out;
  out.reserve(64 + 2 * (title_.size() + class_.size() + face_.size()));
  PutDword(out, style);
  PutDword(out, exStyle_);
  PutWord(out, 0);  // no controls
  PutWord(out, static_cast<std::uint16_t>(x_));
  PutWord(out, static_cast<std::uint16_t>(y_));
  PutWord(out, static_cast<std::uint16_t>(cx_));
  PutWord(out, static_cast<std::uint16_t>(cy_));
  PutWord(out, 0);  // no menu
  if (class_.empty())
    PutWord(out, 0);  // the system dialog class
  else
    PutString(out, class_);
  PutString(out, title_);
  if (hasFont_) {
    PutWord(out, pointSize_);
    PutString(out, face_);
  }
  while (out.size() % 4 != 0) out.push_back(0);
  return out;
}

}  // namespace win
