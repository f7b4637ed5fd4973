// Markup and colours from any text: no fault, and no text is lost. The input is read as UTF-8
// (or byte by byte when it is not).
#include <cstdint>
#include <cstdlib>

#include "core/utf8.h"
#include "skin/markup.h"
#include "skin/skin_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::wstring text;
  if (!stashly::DecodeUtf8(bytes, text)) text.assign(bytes.begin(), bytes.end());

  const std::vector<stashly::StyledRun> runs = stashly::ParseStyledText(text);
  size_t total = 0;
  for (const auto& run : runs) {
    total += run.text.size();
    if (run.face && run.face->size() > stashly::kMaxFaceLength) std::abort();
    if (run.color > 0xFFFFFF) std::abort();
  }
  if (total > text.size()) std::abort();
  // Without a closing marker nothing is styled: the text is one run as it is.
  if (text.find(stashly::kStyleClose) == std::wstring::npos) {
    if (text.empty() ? !runs.empty() : runs.size() != 1 || runs[0].text != text) std::abort();
  }
  // A title is drawn whole: it is the one run of the title markup.
  if (text.find(stashly::kStyleClose) == std::wstring::npos) {
    const auto title = stashly::ParseStyledText(stashly::FormatTitleMarkup(L"1,2,3", text));
    if (title.size() != 1 || title[0].text != text || !title[0].fontRemade) std::abort();
  }

  if (stashly::ParseColor(text) > 0xFFFFFF) std::abort();
  const int32_t width = static_cast<int32_t>(size * 7919 % 1000) - 100;
  const std::wstring broken = stashly::BreakTextToFit(text, width, 500);
  if (broken.size() != text.size() && broken.size() != text.size() + 2) std::abort();
  return 0;
}
