#pragma once
// The favourites as the main window holds them: the records of the file, in file order. The
// list view shows them; reloading, adding at the end and deleting change them, and a save writes
// them back as they are. Nothing reads a record back from the control, so a record of any length
// survives a load, a delete and a save whole.
#include <span>
#include <string>
#include <string_view>

#include "store/favorites_format.h"

namespace stashly {

class FavoritesModel {
 public:
  // Resolves the file's path anew and reads every record. A file that exists but cannot be read
  // (locked, access denied) leaves the model empty, and saves do nothing until a load succeeds:
  // a partial list must not replace the file.
  void Load();
  // Rewrites the file from the records. False when nothing was written.
  bool Save() const;

  // Adds a record at the end (not saved yet).
  void Append(std::wstring_view record);
  // Removes the records at `indices`, in any order; repeated and unknown ones are ignored (not
  // saved yet).
  void Remove(std::span<const size_t> indices);

  size_t size() const { return records_.size(); }
  std::wstring_view operator[](size_t i) const { return records_[i]; }
  // The record as a NUL-terminated string.
  const wchar_t* c_str(size_t i) const { return records_.c_str(i); }

 private:
  std::wstring path_;
  RecordList records_;
  bool unreadable_ = false;
};

}  // namespace stashly
