#pragma once
// The favourites file: one path per line, no header, read and written whole by the main program
// and appended to by the Explorer extension.
//
// Bytes on disk are in the ANSI code page while every record fits it. When a record cannot be
// represented there, the whole file is written as UTF-8 behind a byte-order mark instead, so a
// path is never stored as '?'. Readers take both: a leading BOM means UTF-8, anything else the
// ANSI code page. Within a UTF-8 file a line that is not well-formed UTF-8 (appended by an older
// writer in the ANSI code page) is read as ANSI, so it still names its file. A file saved as
// UTF-16 with its mark (Notepad's "Unicode") reads too; it is written back in one of the two.
//
// Line ends: LF and CR LF both read; the main program writes CR LF, the appender LF. Only the
// line end is removed from a record (spaces, tabs, a lone CR stay); empty lines are dropped.
// No length limit: any line reads back whole. What no path can hold (NUL), and bytes that do not
// decode to text that would be written back as the same bytes, make the read lossy: the records
// are the best reading, and the file's own bytes must be kept before it is replaced.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/narrow_codec.h"

namespace stashly {

// The two a writer uses, and the two UTF-16 forms that are only read.
enum class FavoritesEncoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

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
  // False when the bytes said more than the records hold (see above).
  bool lossless = true;
};

FavoritesContent ParseFavorites(std::string_view bytes, const NarrowCodec& ansi);

// Whether `record` reads back as itself: one line, not empty, no NUL, its end not taken for part
// of a line end.
bool IsStorableRecord(std::wstring_view record);

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

// What the appender writes at the end of a file of `size` bytes that begins with `head` (its
// first bytes, up to three) and ends with `last`: the records in the file's encoding, each ended
// by an LF, preceded by an LF when the last line has no end yet (so the first never runs into
// it). Empty when they cannot be added that way: a record does not fit the file's encoding, the
// file is UTF-16, or the file is empty and the records would begin like a byte-order mark. The
// caller must then rewrite the whole file (ParseFavorites + SerializeFavorites).
std::optional<std::string> AppendedBytes(std::string_view head, uint64_t size, char last,
                                         std::span<const std::wstring> records,
                                         const NarrowCodec& ansi);

}  // namespace stashly
