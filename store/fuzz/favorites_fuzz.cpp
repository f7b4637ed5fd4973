// Any bytes must parse without a fault, and whatever was read must survive a save and a
// reload unchanged: a saved file always reads back losslessly.
#include <cstdint>
#include <cstdlib>

#include "store/favorites_format.h"
#include "testing/iconv_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const stashly::IconvCodec codec("CP936");
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  stashly::FavoritesContent first = stashly::ParseFavorites(bytes, codec);
  std::string saved = stashly::SerializeFavorites(first.records, codec);
  stashly::FavoritesContent second = stashly::ParseFavorites(saved, codec);
  if (second.records.ToVector() != first.records.ToVector() || !second.lossless) std::abort();
  return 0;
}
