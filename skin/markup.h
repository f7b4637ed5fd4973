#pragma once
// Styled-text markup of skin texts. A styled piece is
//   {style=key=value;key=value}text{/style}
// and a text is a row of plain and styled pieces, each becoming one run drawn left to right.
// Markers do not nest: a styled piece ends at the first closing marker after its opening one.
//
// Unbalanced markup never loses text: an opening marker with no closing marker after it, a
// closing marker with no opening marker before it, and a styled piece whose opening has no "}"
// are all shown literally as part of the plain text around them.
//
// Settings: keys "font", "color", "size", "bold", "italic", "underline", compared without
// regard to ASCII case; double quotes anywhere in the settings are removed; settings are cut at
// ";" and each at "=" (empty parts are dropped at both levels, so "size=" is ignored); unknown
// keys and settings without a value change nothing. Integer values follow ParseLeadingInt, a
// value that is not a number reading as 0.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stashly {

// How a run is to be drawn. When `fontRemade` is false (no settings, or only quotes) the run
// uses the default GUI font as it is; otherwise a font is made from the default GUI font's
// LOGFONT with `face` (when given), height `size`, weight 700 when `bold` is nonzero and the
// italic and underline bytes set when those are nonzero.
struct StyledRun {
  std::wstring text;
  uint32_t color = 0;                // COLORREF, 0x00BBGGRR
  std::optional<std::wstring> face;  // at most kMaxFaceLength units; none: the default face
  int32_t size = -12;                // LOGFONT height
  int32_t bold = 0;
  int32_t italic = 0;
  int32_t underline = 0;
  bool fontRemade = false;

  bool operator==(const StyledRun&) const = default;
};

// A LOGFONT face name holds 31 UTF-16 units before its terminator.
inline constexpr size_t kMaxFaceLength = 31;

inline constexpr std::wstring_view kStyleOpen = L"{style=";
inline constexpr std::wstring_view kStyleClose = L"{/style}";

// True when `text` holds an opening marker, which is what makes a caption a styled one.
inline bool HasStyleMarker(std::wstring_view text) {
  return text.find(kStyleOpen) != std::wstring_view::npos;
}

// The runs of `text`, in order. An empty text has no runs; a text without markers is one run
// in the default style.
std::vector<StyledRun> ParseStyledText(std::wstring_view text);

// Colour text such as "RGB(255,0,0)", "(255, 0, 0)" or "255,0,0": whatever precedes the first
// "(" is dropped, parentheses are removed, the rest is cut at "," (empty pieces dropped); with
// three or more pieces they are red, green and blue, each an integer reduced to its low 8 bits
// ("300" gives 44); with fewer the colour is black. Returns 0x00BBGGRR.
uint32_t ParseColor(std::wstring_view text);

// The markup the title bar draws for a dialog title: bold, in the skin's title colour.
std::wstring FormatTitleMarkup(std::wstring_view colorText, std::wstring_view title);

// `face` cut to at most kMaxFaceLength UTF-16 units, never inside a surrogate pair.
std::wstring TruncateFaceName(std::wstring_view face);

}  // namespace stashly
