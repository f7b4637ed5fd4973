#include "win/registry_script.h"

#include "core/ascii.h"
#include "core/number_text.h"
#include "core/utf8.h"

namespace win {
namespace {

struct Token {
  std::wstring text;
  bool quoted = false;
  int line = 1;
};

bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f' || c == L'\v';
}

using stashly::EqualsAsciiNoCase;

bool IsBare(const Token& token, std::wstring_view word) {
  return !token.quoted && EqualsAsciiNoCase(token.text, word);
}

bool RootFromName(std::wstring_view name, RegistryRoot& root) {
  static constexpr struct {
    const wchar_t* shortName;
    const wchar_t* longName;
    RegistryRoot root;
  } kRoots[] = {
      {L"HKCR", L"HKEY_CLASSES_ROOT", RegistryRoot::kClassesRoot},
      {L"HKCU", L"HKEY_CURRENT_USER", RegistryRoot::kCurrentUser},
      {L"HKLM", L"HKEY_LOCAL_MACHINE", RegistryRoot::kLocalMachine},
      {L"HKU", L"HKEY_USERS", RegistryRoot::kUsers},
      {L"HKCC", L"HKEY_CURRENT_CONFIG", RegistryRoot::kCurrentConfig},
  };
  for (const auto& entry : kRoots) {
    if (EqualsAsciiNoCase(name, entry.shortName) || EqualsAsciiNoCase(name, entry.longName)) {
      root = entry.root;
      return true;
    }
  }
  return false;
}

// Words with a meaning of their own: as a key or value name they must be quoted.
bool IsReserved(const Token& token) {
  static constexpr const wchar_t* kWords[] = {L"{",           L"}",   L"=",     L"NoRemove",
                                              L"ForceRemove", L"val", L"Delete"};
  for (const wchar_t* word : kWords)
    if (IsBare(token, word)) return true;
  return false;
}

std::string Quote(const std::wstring& text) {
  constexpr size_t kShown = 40;
  std::string out = "'";
  stashly::AppendUtf8(std::wstring_view(text).substr(0, kShown), out);
  if (text.size() > kShown) out += "...";
  out += '\'';
  return out;
}

class Parser {
 public:
  explicit Parser(const RegistryReplacements& replacements) : replacements_(replacements) {}

  RegistryScriptParse Run(std::string_view utf8) {
    RegistryScriptParse result;
    if (Tokenize(utf8)) ParseScript(result.script);
    result.error = std::move(error_);
    if (!result.ok()) result.script = RegistryScript();
    return result;
  }

 private:
  bool Fail(int line, const std::string& what) {
    error_ = "line " + stashly::DecimalText<char>(line) + ": " + what;
    return false;
  }
  bool Fail(const Token& token, const std::string& what) { return Fail(token.line, what); }
  bool FailAtEnd(const std::string& what) { return Fail(lastLine_, what); }

  bool Tokenize(std::string_view utf8) {
    if (stashly::StartsWithUtf8Bom(utf8)) utf8.remove_prefix(stashly::kUtf8Bom.size());
    // Resource compilers may pad the data with NULs.
    while (!utf8.empty() && utf8.back() == '\0') utf8.remove_suffix(1);
    std::wstring text;
    if (!stashly::DecodeUtf8(utf8, text)) return Fail(1, "the script is not well-formed UTF-8");

    int line = 1;
    size_t i = 0;
    while (i < text.size()) {
      wchar_t c = text[i];
      if (c == L'\n') ++line;
      if (IsSpace(c)) {
        ++i;
        continue;
      }
      if (c == L'\0') return Fail(line, "NUL character in the script");
      Token token;
      token.line = line;
      if (c == L'\'') {
        token.quoted = true;
        for (++i;; ++i) {
          if (i == text.size()) return Fail(token.line, "quoted text is not closed");
          wchar_t q = text[i];
          if (q == L'\0') return Fail(line, "NUL character in the script");
          if (q == L'\'') {
            if (i + 1 < text.size() && text[i + 1] == L'\'') {
              token.text.push_back(L'\'');
              ++i;
              continue;
            }
            ++i;
            break;
          }
          if (q == L'\n') ++line;
          token.text.push_back(q);
        }
      } else {
        while (i < text.size() && !IsSpace(text[i]) && text[i] != L'\0')
          token.text.push_back(text[i++]);
      }
      tokens_.push_back(std::move(token));
    }
    lastLine_ = line;
    return true;
  }

  bool AtEnd() const { return pos_ == tokens_.size(); }
  bool NextIsBare(std::wstring_view word) const { return !AtEnd() && IsBare(tokens_[pos_], word); }

  bool Expect(std::wstring_view word, const std::string& what) {
    if (AtEnd()) return FailAtEnd("expected " + what + " at the end of the script");
    if (!IsBare(tokens_[pos_], word))
      return Fail(tokens_[pos_], "expected " + what + ", found " + Quote(tokens_[pos_].text));
    ++pos_;
    return true;
  }

  // Replaces %NAME% from the map and %% by one %.
  bool Expand(const Token& token, std::wstring& out) {
    out.clear();
    const std::wstring& text = token.text;
    for (size_t i = 0; i < text.size();) {
      if (text[i] != L'%') {
        out.push_back(text[i++]);
        continue;
      }
      size_t end = text.find(L'%', i + 1);
      if (end == std::wstring::npos) return Fail(token, "unmatched '%' in " + Quote(text));
      std::wstring_view name = std::wstring_view(text).substr(i + 1, end - i - 1);
      i = end + 1;
      if (name.empty()) {
        out.push_back(L'%');
        continue;
      }
      const std::wstring* value = nullptr;
      for (const auto& [key, replacement] : replacements_) {
        if (EqualsAsciiNoCase(key, name)) {
          value = &replacement;
          break;
        }
      }
      if (!value) return Fail(token, "nothing to replace %" + stashly::ToUtf8(name) + "% with");
      out += *value;
    }
    return true;
  }

  bool ReadName(std::wstring& name, const std::string& what) {
    if (AtEnd()) return FailAtEnd("expected " + what + " at the end of the script");
    const Token& token = tokens_[pos_];
    if (IsReserved(token))
      return Fail(token, "expected " + what + ", found " + Quote(token.text) +
                             " (quote a name that is also a keyword)");
    ++pos_;
    return Expand(token, name);
  }

  bool ReadKeyName(std::wstring& name) {
    if (!ReadName(name, "a key name")) return false;
    const Token& token = tokens_[pos_ - 1];
    if (name.empty()) return Fail(token, "empty key name");
    // The registry would read a backslash as a path and create keys the unregister never finds.
    if (name.find(L'\\') != std::wstring::npos)
      return Fail(token, "key name " + Quote(name) + " holds a backslash: nest the keys instead");
    return true;
  }

  // "s 'text'" after an equals sign.
  bool ReadTypedValue(std::wstring& value) {
    if (AtEnd()) return FailAtEnd("expected a value type at the end of the script");
    const Token& type = tokens_[pos_];
    if (!IsBare(type, L"s")) {
      if (IsBare(type, L"d") || IsBare(type, L"b") || IsBare(type, L"m"))
        return Fail(type, "value type " + Quote(type.text) + " is not supported (only s)");
      return Fail(type, "unknown value type " + Quote(type.text));
    }
    ++pos_;
    if (AtEnd()) return FailAtEnd("expected a value at the end of the script");
    const Token& token = tokens_[pos_];
    if (IsBare(token, L"{") || IsBare(token, L"}") || IsBare(token, L"="))
      return Fail(token, "expected a value, found " + Quote(token.text));
    ++pos_;
    return Expand(token, value);
  }

  bool ParseScript(RegistryScript& script) {
    while (!AtEnd()) {
      const Token& token = tokens_[pos_++];
      RegistryRootNode root;
      if (token.quoted || !RootFromName(token.text, root.root))
        return Fail(token, "unknown root key " + Quote(token.text));
      if (!Expect(L"{", "'{' after the root key")) return false;
      if (!ParseBody(root.keys, nullptr, 1)) return false;
      script.roots.push_back(std::move(root));
    }
    return true;
  }

  // The items of one block, up to and including its closing brace. `values` is null for the
  // block of a root key, which holds keys only.
  bool ParseBody(std::vector<RegistryKeyNode>& keys, std::vector<RegistryNamedValue>* values,
                 int depth) {
    for (;;) {
      if (AtEnd()) return FailAtEnd("'}' missing at the end of the script");
      const Token& token = tokens_[pos_];
      if (IsBare(token, L"}")) {
        ++pos_;
        return true;
      }
      if (IsBare(token, L"{")) return Fail(token, "'{' without a key name before it");
      if (IsBare(token, L"=")) return Fail(token, "'=' without a key name before it");
      if (IsBare(token, L"Delete")) return Fail(token, "the keyword 'Delete' is not supported");
      if (IsBare(token, L"val")) {
        if (!values) return Fail(token, "'val' directly under a root key");
        ++pos_;
        RegistryNamedValue value;
        if (!ReadName(value.name, "a value name after 'val'") ||
            !Expect(L"=", "'=' after the value name") || !ReadTypedValue(value.data))
          return false;
        values->push_back(std::move(value));
        continue;
      }
      RegistryKeyNode key;
      if (IsBare(token, L"NoRemove")) {
        key.disposition = KeyDisposition::kNoRemove;
        ++pos_;
      } else if (IsBare(token, L"ForceRemove")) {
        key.disposition = KeyDisposition::kForceRemove;
        ++pos_;
      }
      if (!ReadKeyName(key.name)) return false;
      if (NextIsBare(L"=")) {
        ++pos_;
        key.hasDefaultValue = true;
        if (!ReadTypedValue(key.defaultValue)) return false;
      }
      if (NextIsBare(L"{")) {
        if (depth >= kMaxRegistryScriptDepth)
          return Fail(tokens_[pos_], "keys nested deeper than " +
                                         stashly::DecimalText<char>(kMaxRegistryScriptDepth) + " levels");
        ++pos_;
        if (!ParseBody(key.keys, &key.values, depth + 1)) return false;
      }
      keys.push_back(std::move(key));
    }
  }

  const RegistryReplacements& replacements_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int lastLine_ = 1;
  std::string error_;
};

}  // namespace

RegistryScriptParse ParseRegistryScript(std::string_view utf8,
                                        const RegistryReplacements& replacements) {
  return Parser(replacements).Run(utf8);
}

}  // namespace win
