#pragma once
// The favourites file: one path per line, no header, read and written whole by the main program
// and appended to by the Explorer extension.
//
// Bytes on disk are in the ANSI code page while every record fits it. When a record cannot be
// represented there, the whole file is written as UTF-8 behind a byte-order mark instead, so a
// path is never stored as '?'. Readers take both: a leading BOM means UTF-8, anything else the
// ANSI code page. Within a UTF-8 file a line that is not well-formed UTF-8 (appended by an older
// writer in the ANSI code page) is read as ANSI, so it still names its file.
//
// Line ends: LF and CR LF both read; the main program writes CR LF, the appender LF. Only the
// line end is removed from a record (spaces, tabs, a lone CR stay); empty lines are dropped;
// NUL bytes, which no path can hold, are dropped from a line. No length limit: any line reads
// back whole.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/narrow_codec.h"

namespace stashly {

enum class FavoritesEncoding { kAnsi, kUtf8 };

// Records as read: back to back in one buffer, each ended by a NUL (so each can be handed to
// the platform as it is), which keeps loading a long list down to a few allocations.
class RecordList {
 public:
  size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  void reserve(size_t records, size_t characters);
  void push_back(std::wstring_view record);
  // A record known to be plain ASCII, widened as it is copied in.
  void push_back_ascii(std::string_view record);
  // Removes the records at `indices`, in any order; repeated and out-of-range ones are ignored.
  // The others keep their order.
  void Remove(std::span<const size_t> indices);
  std::wstring_view operator[](size_t i) const {
    return std::wstring_view(text_).substr(starts_[i], Length(i));
  }
  // The record as a NUL-terminated string.
  const wchar_t* c_str(size_t i) const { return text_.c_str() + starts_[i]; }
  std::vector<std::wstring> ToVector() const;

 private:
  size_t Length(size_t i) const {
    return (i + 1 < starts_.size() ? starts_[i + 1] : text_.size()) - starts_[i] - 1;
  }
  std::wstring text_;
  std::vector<size_t> starts_;
};

struct FavoritesContent {
  RecordList records;
  FavoritesEncoding encoding = FavoritesEncoding::kAnsi;
};

FavoritesContent ParseFavorites(std::string_view bytes, const NarrowCodec& ansi);

// The whole file as the main program writes it, CR LF after every record. Picks the ANSI code
// page when every record fits it, else UTF-8 with a BOM; `used` tells which.
std::string SerializeFavorites(const std::vector<std::wstring>& records, const NarrowCodec& ansi,
                               FavoritesEncoding* used = nullptr);
std::string SerializeFavorites(const RecordList& records, const NarrowCodec& ansi,
                               FavoritesEncoding* used = nullptr);

// `current` without the records chosen from `seen`, the list the user saw. Each chosen record
// is found by its text and by which occurrence of that text it was in `seen` (the second
// "C:\\a", say), so records added since, anywhere, do not shift the choice; a chosen record that
// is no longer in `current` is left alone. Unknown and repeated indices are ignored.
RecordList WithoutChosen(const RecordList& current, const RecordList& seen,
                         std::span<const size_t> chosen);
// Which records of `current` are the ones chosen from `seen`, found as WithoutChosen finds them.
std::vector<bool> FindChosen(const RecordList& current, const RecordList& seen,
                             std::span<const size_t> chosen);

// Moves every chosen record one place up (or down) past its unchosen neighbour; a chosen record
// already at the end, or held by one that is, stays. Returns where the chosen records are now,
// ascending.
std::vector<size_t> MoveChosen(RecordList& records, std::vector<bool> chosen, bool down);

// What the appender writes at the end of a file whose encoding is `encoding`: the record and
// an LF, preceded by an LF when the file's last line has no end yet (so the new record never
// runs into it). Empty when the record cannot be written in that encoding: the caller must
// then rewrite the whole file (ParseFavorites + SerializeFavorites), as it must for an empty
// file, whose first bytes decide its encoding.
std::optional<std::string> EncodeAppendedRecord(std::wstring_view record,
                                                FavoritesEncoding encoding,
                                                bool lastLineUnterminated, const NarrowCodec& ansi);

}  // namespace stashly
