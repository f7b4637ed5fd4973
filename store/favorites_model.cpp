#include "store/favorites_model.h"

#include "store/favorites_file.h"

namespace stashly {

void FavoritesModel::Load() {
  path_ = FavoritesFilePath();
  unreadable_ = ReadFavoritesFile(path_, records_) == ReadResult::kUnreadable;
}

bool FavoritesModel::Save() const {
  if (path_.empty() || unreadable_) return false;
  return WriteFavoritesFile(path_, records_);
}

void FavoritesModel::Append(std::wstring_view record) {
  records_.push_back(record);
}

void FavoritesModel::Remove(std::span<const size_t> indices) {
  records_.Remove(indices);
}

}  // namespace stashly
