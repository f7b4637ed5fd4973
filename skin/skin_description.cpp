#include "skin/skin_description.h"

#include <tinyxml2.h>

#include <cstring>

#include "core/ascii.h"
#include "core/utf8.h"
#include "skin/leading_int.h"

namespace stashly {
namespace {

bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The value of the pseudo-attribute `encoding` in the text of an XML declaration.
std::optional<std::string_view> DeclaredEncoding(std::string_view declaration) {
  constexpr std::string_view kName = "encoding";
  for (size_t at = declaration.find(kName); at != std::string_view::npos;
       at = declaration.find(kName, at + 1)) {
    if (at == 0 || !IsXmlSpace(declaration[at - 1])) continue;
    size_t i = at + kName.size();
    while (i < declaration.size() && IsXmlSpace(declaration[i])) ++i;
    if (i >= declaration.size() || declaration[i] != '=') continue;
    ++i;
    while (i < declaration.size() && IsXmlSpace(declaration[i])) ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\'')) continue;
    const size_t end = declaration.find(declaration[i], i + 1);
    if (end == std::string_view::npos) return std::nullopt;
    return declaration.substr(i + 1, end - i - 1);
  }
  return std::nullopt;
}

class AttributeReader {
 public:
  AttributeReader(bool utf8, const NarrowCodec& ansi) : utf8_(utf8), ansi_(ansi) {}

  // Attribute bytes are UTF-8 in either case (an ANSI document is converted before parsing),
  // save for ANSI text inside a UTF-8 document and character references past U+10FFFF.
  std::wstring Text(const tinyxml2::XMLElement& element, const char* name) const {
    const char* value = element.Attribute(name);
    if (!value) return {};
    std::string_view bytes(value);
    if (IsAscii(bytes)) return std::wstring(bytes.begin(), bytes.end());
    std::wstring out;
    if (DecodeUtf8(bytes, out)) return out;
    return utf8_ ? ansi_.Decode(bytes) : std::wstring(bytes.size(), L'\xFFFD');
  }

  void Int(const tinyxml2::XMLElement& element, const char* name, int32_t& target) const {
    if (const char* value = element.Attribute(name))
      if (std::optional<int32_t> parsed = ParseLeadingInt(std::string_view(value)))
        target = *parsed;
  }

 private:
  bool utf8_;
  const NarrowCodec& ansi_;
};

SkinElement ReadElement(const tinyxml2::XMLElement& element, const AttributeReader& read) {
  SkinElement out;
  read.Int(element, "msg", out.msg);
  read.Int(element, "xpos", out.xpos);
  read.Int(element, "ypos", out.ypos);
  read.Int(element, "width", out.width);
  read.Int(element, "height", out.height);
  out.text = read.Text(element, "text");
  out.image = read.Text(element, "image");
  read.Int(element, "imagecount", out.imageCount);
  out.textColor = read.Text(element, "textcolor");
  read.Int(element, "group", out.group);
  read.Int(element, "default", out.defaultMark);
  read.Int(element, "drawtype", out.drawType);
  out.name = read.Text(element, "name");
  return out;
}

const char* SectionName(SkinElementKind kind) {
  switch (kind) {
    case SkinElementKind::kButton:
      return "buttons";
    case SkinElementKind::kEdit:
      return "edits";
    case SkinElementKind::kXString:
      return "xstrings";
    case SkinElementKind::kCheck:
      return "checks";
    case SkinElementKind::kRadio:
      return "radios";
    case SkinElementKind::kImage:
      return "images";
  }
  return "";
}

template <typename Description>
auto& ListOf(Description& description, SkinElementKind kind) {
  switch (kind) {
    case SkinElementKind::kButton:
      return description.buttons;
    case SkinElementKind::kEdit:
      return description.edits;
    case SkinElementKind::kXString:
      return description.xstrings;
    case SkinElementKind::kCheck:
      return description.checks;
    case SkinElementKind::kRadio:
      return description.radios;
    case SkinElementKind::kImage:
      break;
  }
  return description.images;
}

}  // namespace

SkinRect SkinElement::Rect() const {
  return {xpos, ypos, SaturatingAdd(xpos, width), SaturatingAdd(ypos, height)};
}

const std::vector<SkinElement>& SkinDescription::List(SkinElementKind kind) const {
  return ListOf(*this, kind);
}

std::vector<SkinElement>& SkinDescription::List(SkinElementKind kind) {
  return ListOf(*this, kind);
}

const char* SkinElementName(SkinElementKind kind) {
  switch (kind) {
    case SkinElementKind::kButton:
      return "button";
    case SkinElementKind::kEdit:
      return "edit";
    case SkinElementKind::kXString:
      return "xstring";
    case SkinElementKind::kCheck:
      return "check";
    case SkinElementKind::kRadio:
      return "radio";
    case SkinElementKind::kImage:
      return "image";
  }
  return "";
}

bool IsUtf8SkinDocument(std::string_view bytes) {
  // The parser itself allows white space before the mark and the declaration.
  size_t i = 0;
  while (i < bytes.size() && IsXmlSpace(bytes[i])) ++i;
  bytes.remove_prefix(i);
  if (StartsWithUtf8Bom(bytes)) return true;
  constexpr std::string_view kOpen = "<?xml";
  if (bytes.substr(0, kOpen.size()) != kOpen || bytes.size() <= kOpen.size() ||
      !IsXmlSpace(bytes[kOpen.size()]))
    return false;
  const size_t end = bytes.find("?>");
  if (end == std::string_view::npos) return false;
  std::optional<std::string_view> encoding = DeclaredEncoding(bytes.substr(0, end));
  return encoding && EqualsAsciiNoCase(*encoding, "UTF-8");
}

SkinDescription ParseSkinDescription(std::string_view bytes, const NarrowCodec& ansi) {
  SkinDescription description;
  // XML has no place for NUL; the parser would silently stop reading there.
  if (bytes.empty() || std::memchr(bytes.data(), '\0', bytes.size())) return description;

  const bool utf8 = IsUtf8SkinDocument(bytes);
  std::string converted;
  if (!utf8 && !IsAscii(bytes)) {
    // Converted whole, so character references and ANSI text end up in one encoding.
    converted = ToUtf8(ansi.Decode(bytes));
    bytes = converted;
  }

  tinyxml2::XMLDocument document;
  if (document.Parse(bytes.data(), bytes.size()) != tinyxml2::XML_SUCCESS) return description;
  const tinyxml2::XMLElement* root = document.RootElement();
  if (!root || std::strcmp(root->Name(), "Dialog") != 0) return description;
  description.loaded = true;
  const AttributeReader read(utf8, ansi);

  if (const tinyxml2::XMLElement* main = root->FirstChildElement("main")) {
    SkinMain& m = description.main.emplace();
    read.Int(*main, "width", m.width);
    read.Int(*main, "height", m.height);
    read.Int(*main, "roundcorner", m.roundCorner);
    m.titleIcon = read.Text(*main, "titleicon");
    m.titleColor = read.Text(*main, "titlecolor");
    m.title = read.Text(*main, "title");
  }
  if (const tinyxml2::XMLElement* sys = root->FirstChildElement("sysbutton")) {
    SkinSysButton& button = description.sysButton.emplace();
    button.sysClose = read.Text(*sys, "sysClose");
    button.name = read.Text(*sys, "name");
  }
  if (const tinyxml2::XMLElement* bk = root->FirstChildElement("bk")) {
    SkinBackground& background = description.background.emplace();
    background.bkImage = read.Text(*bk, "bkimage");
    background.bkLayer = read.Text(*bk, "bklayer");
  }

  for (SkinElementKind kind : kSkinListOrder) {
    const tinyxml2::XMLElement* section = root->FirstChildElement(SectionName(kind));
    if (!section) continue;
    const char* name = SkinElementName(kind);
    std::vector<SkinElement>& list = description.List(kind);
    for (const tinyxml2::XMLElement* element = section->FirstChildElement(name);
         element && list.size() < kMaxSkinElementsPerList;
         element = element->NextSiblingElement(name))
      list.push_back(ReadElement(*element, read));
  }
  return description;
}

std::map<int32_t, SkinElementRef> SkinElementsById(const SkinDescription& description) {
  std::map<int32_t, SkinElementRef> byId;
  for (SkinElementKind kind : kSkinListOrder) {
    const std::vector<SkinElement>& list = description.List(kind);
    for (size_t i = 0; i < list.size(); ++i)
      byId.insert_or_assign(list[i].msg, SkinElementRef{kind, i});
  }
  return byId;
}

std::optional<size_t> DefaultRadioIndex(const std::vector<SkinElement>& radios) {
  if (radios.empty()) return std::nullopt;
  size_t chosen = 0;
  for (size_t i = 1; i < radios.size(); ++i)
    if (radios[i].defaultMark >= 0) chosen = i;
  return chosen;
}

}  // namespace stashly
