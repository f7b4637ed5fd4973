// Any bytes must parse without a fault into a description that keeps the list limits and whose
// derived rules stay inside its lists.
#include <cstdint>
#include <cstdlib>

#include "skin/skin_description.h"
#include "testing/iconv_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const stashly::IconvCodec codec("CP936");
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const stashly::SkinDescription d = stashly::ParseSkinDescription(bytes, codec);
  if (!d.loaded && (d.main || d.sysButton || d.background)) std::abort();
  for (stashly::SkinElementKind kind : stashly::kSkinListOrder) {
    const auto& list = d.List(kind);
    if (list.size() > stashly::kMaxSkinElementsPerList) std::abort();
    for (const auto& element : list) {
      const stashly::SkinRect rect = element.Rect();
      if (rect.left != element.xpos || rect.top != element.ypos) std::abort();
    }
  }
  for (const auto& [id, ref] : stashly::SkinElementsById(d))
    if (ref.index >= d.List(ref.kind).size() || d.List(ref.kind)[ref.index].msg != id) std::abort();
  if (std::optional<size_t> radio = stashly::DefaultRadioIndex(d.radios))
    if (*radio >= d.radios.size()) std::abort();
  return 0;
}
