#pragma once
// The favourites as the main window holds them: the records of the file as last read, in file
// order. The list view shows them. Adding and deleting change the file as it is now (under the
// writers' lock, so what the Explorer extension added meanwhile is kept) and then read it again;
// nothing reads a record back from the control, so a record of any length survives whole.
#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/favorites_file.h"
#include "store/favorites_format.h"

namespace stashly {

class FavoritesModel {
 public:
  // Resolves the file's path anew and reads every record. A file that exists but cannot be read
  // (held by another program, too large) leaves the records as they were: trouble() says why.
  void Load();
  // Whether the file may hold something else than the last read gave: it was written since, or
  // that read kept the records as they were.
  bool ChangedSinceLoad() const;

  // Adds `record` at the end of the file, then reads it again. On failure the file is as it was,
  // and so is the model after the reload.
  StoreResult Append(const std::wstring& record);
  // Adds the records at the end, in order, in one step.
  StoreResult Append(std::span<const std::wstring> records);
  // Moves the records at `indices` one place up or down in the file (see MoveChosen), then reads
  // it again; `nowAt` tells where they are now.
  StoreResult Move(std::span<const size_t> indices, bool down, std::vector<size_t>& nowAt);
  // Removes from the file the records at `indices` of the model (in any order; repeated and
  // unknown ones are ignored), then reads it again.
  StoreResult Remove(std::span<const size_t> indices);

  // Why the last read kept the records as they were: kRead when it did not.
  ReadResult trouble() const { return trouble_; }
  // True once after a read found a new copy of a damaged file beside it (DamagedCopyPath).
  bool TakeNewDamagedCopy();
  const std::wstring& path() const { return path_; }

  size_t size() const { return records_.size(); }
  std::wstring_view operator[](size_t i) const { return records_[i]; }
  // The record as a NUL-terminated string.
  const wchar_t* c_str(size_t i) const { return records_.c_str(i); }
  const RecordList& records() const { return records_; }

 private:
  // When and how large a file was last written; zero when there is none.
  struct Stamp {
    FILETIME written{};
    ULARGE_INTEGER size{};
    bool operator==(const Stamp& other) const;
  };
  static Stamp StampOf(const std::wstring& path);

  std::wstring path_;
  RecordList records_;
  ReadResult trouble_ = ReadResult::kRead;
  Stamp fileStamp_;
  Stamp copyStamp_;
  bool copyKnown_ = false;
  bool newCopy_ = false;
};

}  // namespace stashly
