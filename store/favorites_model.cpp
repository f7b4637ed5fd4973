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

bool FavoritesModel::Append(std::span<const std::wstring> records) {
  const bool written = AppendFavorites(path_, records);
  Load();
  return written;
}

bool FavoritesModel::Move(std::span<const size_t> indices, bool down, std::vector<size_t>& nowAt) {
  const bool written = MoveFavorites(path_, records_, indices, down, &nowAt);
  Load();
  return written;
}

bool FavoritesModel::Remove(std::span<const size_t> indices) {
  const bool written = RemoveFavorites(path_, records_, indices);
  Load();
  return written;
}

}  // namespace stashly
