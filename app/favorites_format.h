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
#include <string>
#include <string_view>
#include <vector>

#include "core/narrow_codec.h"

namespace stashly {

enum class FavoritesEncoding { kAnsi, kUtf8 };

struct FavoritesContent {
  std::vector<std::wstring> records;
  FavoritesEncoding encoding = FavoritesEncoding::kAnsi;
};

FavoritesContent ParseFavorites(std::string_view bytes, const NarrowCodec& ansi);

// The whole file as the main program writes it, CR LF after every record. Picks the ANSI code
// page when every record fits it, else UTF-8 with a BOM; `used` tells which.
std::string SerializeFavorites(const std::vector<std::wstring>& records, const NarrowCodec& ansi,
                               FavoritesEncoding* used = nullptr);

// What the appender writes at the end of a file whose encoding is `encoding`: the record and
// an LF, preceded by an LF when the file's last line has no end yet (so the new record never
// runs into it). Empty when the record cannot be written in that encoding: the caller must
// then rewrite the whole file (ParseFavorites + SerializeFavorites), as it must for an empty
// file, whose first bytes decide its encoding.
std::optional<std::string> EncodeAppendedRecord(std::wstring_view record,
                                                FavoritesEncoding encoding,
                                                bool lastLineUnterminated,
                                                const NarrowCodec& ansi);

}  // namespace stashly
