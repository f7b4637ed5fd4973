#include "store/favorites_model.h"

#include "store/favorites_file.h"

namespace stashly {

void FavoritesModel::Load() {
  path_ = FavoritesFilePath();
  ReadFavoritesFile(path_, records_);
}

bool FavoritesModel::Append(const std::wstring& record) {
  const bool written = AppendFavorite(path_, record);
  Load();
  return written;
}

bool FavoritesModel::Remove(std::span<const size_t> indices) {
  const bool written = RemoveFavorites(path_, records_, indices);
  Load();
  return written;
}

}  // namespace stashly
