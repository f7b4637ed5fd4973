#include "store/favorites_model.h"

namespace stashly {

bool FavoritesModel::Stamp::operator==(const Stamp& other) const {
  return ::CompareFileTime(&written, &other.written) == 0 && size.QuadPart == other.size.QuadPart;
}

FavoritesModel::Stamp FavoritesModel::StampOf(const std::wstring& path) {
  Stamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!path.empty() && ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    stamp.written = data.ftLastWriteTime;
    stamp.size.LowPart = data.nFileSizeLow;
    stamp.size.HighPart = data.nFileSizeHigh;
  }
  return stamp;
}

void FavoritesModel::Load() {
  path_ = FavoritesFilePath();
  // Taken before the read: a change made meanwhile makes the next check read again.
  fileStamp_ = StampOf(path_);
  RecordList read;
  const ReadResult result = ReadFavoritesFile(path_, read);
  if (result == ReadResult::kUnreadable || result == ReadResult::kTooLarge) {
    trouble_ = result;
  } else {
    trouble_ = ReadResult::kRead;
    records_ = std::move(read);
  }
  // A copy that was there before the program first looked has been told about already.
  const Stamp copy = StampOf(DamagedCopyPath(path_));
  if (copyKnown_ && !(copy == copyStamp_) && copy.size.QuadPart > 0) newCopy_ = true;
  copyStamp_ = copy;
  copyKnown_ = true;
}

bool FavoritesModel::ChangedSinceLoad() const {
  return path_ != FavoritesFilePath() || !(StampOf(path_) == fileStamp_) ||
         trouble_ != ReadResult::kRead;
}

bool FavoritesModel::TakeNewDamagedCopy() {
  const bool taken = newCopy_;
  newCopy_ = false;
  return taken;
}

StoreResult FavoritesModel::Append(const std::wstring& record) {
  return Append(std::span<const std::wstring>(&record, 1));
}

StoreResult FavoritesModel::Append(std::span<const std::wstring> records) {
  const StoreResult written = AppendFavorites(path_, records);
  Load();
  return written;
}

StoreResult FavoritesModel::Move(std::span<const size_t> indices, bool down,
                                 std::vector<size_t>& nowAt) {
  const StoreResult written = MoveFavorites(path_, records_, indices, down, &nowAt);
  Load();
  return written;
}

StoreResult FavoritesModel::Remove(std::span<const size_t> indices) {
  const StoreResult written = RemoveFavorites(path_, records_, indices);
  Load();
  return written;
}

}  // namespace stashly
