#pragma once
// The favourites as the main window holds them: the records of the file as last read, in file
// order. The list view shows them. Adding and deleting change the file as it is now (under the
// writers' lock, so what the Explorer extension added meanwhile is kept) and then read it again;
// nothing reads a record back from the control, so a record of any length survives whole.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/favorites_format.h"

namespace stashly {

class FavoritesModel {
 public:
  // Resolves the file's path anew and reads every record. A file that exists but cannot be read
  // (locked, access denied) leaves the model empty.
  void Load();

  // Adds `record` at the end of the file, then reads it again. False when the file could not be
  // written: it is as it was, and so is the model after the reload.
  bool Append(const std::wstring& record);
  // Adds the records at the end, in order, in one step.
  bool Append(std::span<const std::wstring> records);
  // Moves the records at `indices` one place up or down in the file (see MoveChosen), then reads
  // it again; `nowAt` tells where they are now. False when the file could not be written.
  bool Move(std::span<const size_t> indices, bool down, std::vector<size_t>& nowAt);
  // Removes from the file the records at `indices` of the model (in any order; repeated and
  // unknown ones are ignored), then reads it again. False when the file could not be written.
  bool Remove(std::span<const size_t> indices);

  size_t size() const { return records_.size(); }
  std::wstring_view operator[](size_t i) const { return records_[i]; }
  // The record as a NUL-terminated string.
  const wchar_t* c_str(size_t i) const { return records_.c_str(i); }

 private:
  std::wstring path_;
  RecordList records_;
};

}  // namespace stashly
