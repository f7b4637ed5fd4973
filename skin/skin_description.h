#pragma once
// The skin description file: an XML document whose root element "Dialog" holds the sections
// "main", "sysbutton", "bk" and the element lists "buttons", "edits", "xstrings", "checks",
// "radios" and "images". Names are case-sensitive; of each section only the first child of the
// root with that name counts; unknown elements and attributes are ignored.
//
// The parser takes the file's bytes: the caller reads the file itself (by its wide path), so
// no path ever passes through a narrow code page. Text is decoded as UTF-8 when the document
// says so (a byte-order mark, or encoding="UTF-8" in the XML declaration, in any letter case)
// and from the ANSI code page otherwise. In a UTF-8 document an attribute that is not
// well-formed UTF-8 is read in the ANSI code page, so its text is never dropped.
//
// A document that is empty, not well-formed XML (including one holding a NUL byte or nested
// about a hundred elements deep) or whose root is not "Dialog" is not loaded. Size is not
// limited: a document with ten thousand buttons parses, and only the first ten are kept.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/narrow_codec.h"
#include "skin/skin_layout.h"

namespace stashly {

enum class SkinElementKind { kButton, kEdit, kXString, kCheck, kRadio, kImage };

// At most this many elements of each list are used.
inline constexpr size_t kMaxSkinElementsPerList = 10;

// One element of a list with every attribute any kind reads; each kind uses its own subset.
struct SkinElement {
  int32_t msg = 0;  // the element's id
  int32_t xpos = 0;
  int32_t ypos = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::wstring text;
  std::wstring image;
  int32_t imageCount = 1;
  std::wstring textColor;
  int32_t group = 0;
  int32_t defaultMark = -1;  // "default": 0 or more marks the default radio
  int32_t drawType = 0;
  // "name": what accessibility tools announce for a button, check box or radio button; it
  // becomes the control's window text and is never drawn.
  std::wstring name;

  // left xpos, top ypos, right xpos + width, bottom ypos + height (sums saturate).
  SkinRect Rect() const;
  bool operator==(const SkinElement&) const = default;
};

struct SkinMain {
  int32_t width = 0;
  int32_t height = 0;
  int32_t roundCorner = 0;
  std::wstring titleIcon;
  std::wstring titleColor;
  std::wstring title;
};

struct SkinSysButton {
  std::wstring sysClose;
  std::wstring name;  // the close button's name for accessibility tools, as an element's
};

struct SkinBackground {
  std::wstring bkImage;
  std::wstring bkLayer;
};

struct SkinDescription {
  bool loaded = false;
  std::optional<SkinMain> main;
  std::optional<SkinSysButton> sysButton;
  std::optional<SkinBackground> background;
  // Each list in document order, at most kMaxSkinElementsPerList long; empty when its section
  // is absent.
  std::vector<SkinElement> buttons;
  std::vector<SkinElement> edits;
  std::vector<SkinElement> xstrings;
  std::vector<SkinElement> checks;
  std::vector<SkinElement> radios;
  std::vector<SkinElement> images;

  const std::vector<SkinElement>& List(SkinElementKind kind) const;
  std::vector<SkinElement>& List(SkinElementKind kind);
};

// Lists in the order the dialog creates their elements.
inline constexpr SkinElementKind kSkinListOrder[] = {
    SkinElementKind::kButton, SkinElementKind::kEdit,  SkinElementKind::kXString,
    SkinElementKind::kCheck,  SkinElementKind::kRadio, SkinElementKind::kImage};

// The element name of a kind ("button", ...), which is also the name the control factory takes.
const char* SkinElementName(SkinElementKind kind);

SkinDescription ParseSkinDescription(std::string_view bytes, const NarrowCodec& ansi);

// Whether the document's text is UTF-8 (byte-order mark or declared encoding).
bool IsUtf8SkinDocument(std::string_view bytes);

struct SkinElementRef {
  SkinElementKind kind;
  size_t index;  // into description.List(kind)
  bool operator==(const SkinElementRef&) const = default;
};

// The element each id names: ids are not unique, and the element created last (lists in
// kSkinListOrder, each in document order) wins.
std::map<int32_t, SkinElementRef> SkinElementsById(const SkinDescription& description);

// Index into `radios` of the radio checked after loading: the first radio, unless a later one
// has "default" of 0 or more, and then the last such one. One for all groups together; none
// when there are no radios.
std::optional<size_t> DefaultRadioIndex(const std::vector<SkinElement>& radios);

}  // namespace stashly
