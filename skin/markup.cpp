#include "skin/markup.h"

#include "core/ascii.h"
#include "skin/leading_int.h"

namespace stashly {
namespace {

// Non-empty parts of `text` between `separator`s.
std::vector<std::wstring_view> SplitNonEmpty(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring_view> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::wstring_view::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

int32_t ValueOrZero(std::wstring_view text) {
  return ParseLeadingInt(text).value_or(0);
}

void ApplySetting(std::wstring_view key, std::wstring_view value, StyledRun& run) {
  if (EqualsAsciiNoCase(key, L"font")) {
    run.face = TruncateFaceName(value);
  } else if (EqualsAsciiNoCase(key, L"color")) {
    run.color = ParseColor(value);
  } else if (EqualsAsciiNoCase(key, L"size")) {
    run.size = ValueOrZero(value);
  } else if (EqualsAsciiNoCase(key, L"bold")) {
    run.bold = ValueOrZero(value);
  } else if (EqualsAsciiNoCase(key, L"italic")) {
    run.italic = ValueOrZero(value);
  } else if (EqualsAsciiNoCase(key, L"underline")) {
    run.underline = ValueOrZero(value);
  }
}

// `piece` runs from an opening marker to its closing marker, both included. Returns false,
// leaving `run` alone, when the opening has no "}" (the piece is then plain text).
bool ParseStyledPiece(std::wstring_view piece, StyledRun& run) {
  std::wstring_view inner = piece.substr(kStyleOpen.size());
  inner = inner.substr(0, inner.size() - kStyleClose.size());
  const size_t brace = inner.find(L'}');
  if (brace == std::wstring_view::npos) return false;
  run.text.assign(inner.substr(brace + 1));

  std::wstring settings;
  for (wchar_t c : inner.substr(0, brace))
    if (c != L'"') settings.push_back(c);
  if (settings.empty()) return true;

  run.fontRemade = true;
  for (std::wstring_view setting : SplitNonEmpty(settings, L';')) {
    std::vector<std::wstring_view> parts = SplitNonEmpty(setting, L'=');
    if (parts.size() >= 2) ApplySetting(parts[0], parts[1], run);
  }
  return true;
}

void AppendPlain(std::wstring_view text, std::vector<StyledRun>& runs) {
  if (text.empty()) return;
  StyledRun run;
  run.text.assign(text);
  runs.push_back(std::move(run));
}

bool IsHighSurrogate(uint32_t c) {
  return c >= 0xD800 && c < 0xDC00;
}
bool IsLowSurrogate(uint32_t c) {
  return c >= 0xDC00 && c < 0xE000;
}

}  // namespace

std::vector<StyledRun> ParseStyledText(std::wstring_view text) {
  std::vector<StyledRun> runs;
  // Plain text accumulates from plainStart until a well-formed styled piece interrupts it.
  size_t plainStart = 0;
  size_t searchFrom = 0;
  while (true) {
    const size_t open = text.find(kStyleOpen, searchFrom);
    if (open == std::wstring_view::npos) break;
    const size_t close = text.find(kStyleClose, open + kStyleOpen.size());
    if (close == std::wstring_view::npos) break;
    const size_t end = close + kStyleClose.size();
    StyledRun styled;
    if (ParseStyledPiece(text.substr(open, end - open), styled)) {
      AppendPlain(text.substr(plainStart, open - plainStart), runs);
      runs.push_back(std::move(styled));
      plainStart = end;
    }
    searchFrom = end;
  }
  AppendPlain(text.substr(plainStart), runs);
  return runs;
}

uint32_t ParseColor(std::wstring_view text) {
  const size_t paren = text.find(L'(');
  if (paren != std::wstring_view::npos) text.remove_prefix(paren);
  std::wstring digits;
  for (wchar_t c : text)
    if (c != L'(' && c != L')') digits.push_back(c);
  std::vector<std::wstring_view> pieces = SplitNonEmpty(digits, L',');
  if (pieces.size() < 3) return 0;
  uint32_t color = 0;
  for (int i = 0; i < 3; ++i) {
    const uint32_t channel = static_cast<uint32_t>(ValueOrZero(pieces[i])) & 0xFF;
    color |= channel << (8 * i);
  }
  return color;
}

std::wstring FormatTitleMarkup(std::wstring_view colorText, std::wstring_view title) {
  std::wstring markup = L"{style=\";color=";
  markup += colorText;
  markup += L";bold=1;font=微软雅黑\"}";
  markup += title;
  markup += kStyleClose;
  return markup;
}

std::wstring TruncateFaceName(std::wstring_view face) {
  size_t units = 0;
  size_t i = 0;
  while (i < face.size()) {
    const uint32_t c = static_cast<uint32_t>(face[i]);
    size_t step = 1;
    size_t cost = c > 0xFFFF ? 2 : 1;
    if (IsHighSurrogate(c) && i + 1 < face.size() &&
        IsLowSurrogate(static_cast<uint32_t>(face[i + 1]))) {
      step = 2;
      cost = 2;
    }
    if (units + cost > kMaxFaceLength) break;
    units += cost;
    i += step;
  }
  return std::wstring(face.substr(0, i));
}

}  // namespace stashly
