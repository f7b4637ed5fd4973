#include "win/registry_script.h"

#include <gtest/gtest.h>

namespace win {
namespace {

RegistryScript Parse(std::string_view text, const RegistryReplacements& replacements = {}) {
  RegistryScriptParse parsed = ParseRegistryScript(text, replacements);
  EXPECT_TRUE(parsed.ok()) << parsed.error;
  return parsed.script;
}

TEST(RegistryScript, GrammarDetails) {
  RegistryScript script = Parse(
      "\xEF\xBB\xBF"
      "hkey_local_machine { noremove 'It''s' = S '' { VAL 'val' = s bare 'x y' = s '50%%' } }\n"
      "HKU { 'NoRemove' { } }");
  ASSERT_EQ(script.roots.size(), 2u);
  EXPECT_EQ(script.roots[0].root, RegistryRoot::kLocalMachine);
  const RegistryKeyNode& key = script.roots[0].keys[0];
  EXPECT_EQ(key.name, L"It's");
  EXPECT_EQ(key.disposition, KeyDisposition::kNoRemove);
  EXPECT_TRUE(key.hasDefaultValue);
  EXPECT_EQ(key.defaultValue, L"");
  ASSERT_EQ(key.values.size(), 1u);
  EXPECT_EQ(key.values[0].name, L"val");
  EXPECT_EQ(key.values[0].data, L"bare");
  ASSERT_EQ(key.keys.size(), 1u);
  EXPECT_EQ(key.keys[0].name, L"x y");
  EXPECT_EQ(key.keys[0].defaultValue, L"50%");
  // A quoted keyword is a name.
  EXPECT_EQ(script.roots[1].root, RegistryRoot::kUsers);
  EXPECT_EQ(script.roots[1].keys[0].name, L"NoRemove");
}

TEST(RegistryScript, EmptyScriptsHoldNothing) {
  const std::string_view texts[] = {"", "  \r\n\t", "\xEF\xBB\xBF", std::string_view("\n\0\0", 3)};
  for (std::string_view text : texts) EXPECT_TRUE(Parse(text).roots.empty());
}

TEST(RegistryScript, ReplacementsAreCaseBlindAndNotRescanned) {
  RegistryScript script = Parse("HKCR { '%module%%Appid%' = s '%MODULE%' }",
                                {{L"MODULE", L"a%APPID%'"}, {L"APPID", L"b"}});
  EXPECT_EQ(script.roots[0].keys[0].name, L"a%APPID%'b");
  EXPECT_EQ(script.roots[0].keys[0].defaultValue, L"a%APPID%'");
}

struct BrokenCase {
  const char* name;
  std::string text;
  const char* error;  // the start of the message
};

TEST(RegistryScript, BrokenScriptsAreRefusedWithTheirLine) {
  const BrokenCase cases[] = {
      {"unknown root", "HKXX { }", "line 1: unknown root key 'HKXX'"},
      {"quoted root", "'HKCR' { }", "line 1: unknown root key"},
      {"brace glued to the root", "HKCR{ }", "line 1: unknown root key 'HKCR{'"},
      {"root without block", "HKCR", "line 1: expected '{' after the root key at the end"},
      {"root followed by key", "HKCR Key { }", "line 1: expected '{' after the root key, found"},
      {"missing close", "HKCR {\n A {\n }\n", "line 4: '}' missing"},
      {"extra close", "HKCR { }\n}", "line 2: unknown root key '}'"},
      {"brace without name", "HKCR {\n {\n } }", "line 2: '{' without a key name"},
      {"equals without name", "HKCR { = s 'x' }", "line 1: '=' without a key name"},
      {"unterminated quote", "HKCR {\n 'abc }\n}", "line 2: quoted text is not closed"},
      {"unterminated value", "HKCR { A = s 'abc", "line 1: quoted text is not closed"},
      {"unknown value type", "HKCR { A = x 'v' }", "line 1: unknown value type 'x'"},
      {"dword not supported", "HKCR { A { val N = d '1' } }", "line 1: value type 'd' is not"},
      {"value type missing", "HKCR { A = 'v' }", "line 1: unknown value type 'v'"},
      {"value missing", "HKCR { A = s }", "line 1: expected a value, found '}'"},
      {"value at end", "HKCR { A = s", "line 1: expected a value at the end"},
      {"val under root", "HKCR { val N = s 'v' }", "line 1: 'val' directly under a root"},
      {"val without equals", "HKCR { A { val N s 'v' } }", "line 1: expected '=' after"},
      {"val without name", "HKCR { A { val = s 'v' } }", "line 1: expected a value name"},
      {"Delete", "HKCR { Delete A }", "line 1: the keyword 'Delete' is not supported"},
      {"two dispositions", "HKCR { NoRemove ForceRemove A }", "line 1: expected a key name, found"},
      {"disposition at end", "HKCR { NoRemove", "line 1: expected a key name at the end"},
      {"empty key name", "HKCR { '' }", "line 1: empty key name"},
      {"backslash in name", "HKCR { 'Directory\\Background' }", "line 1: key name 'Directory\\"},
      {"unknown replacement", "HKCR { '%NOPE%' }", "line 1: nothing to replace %NOPE% with"},
      {"unmatched percent", "HKCR {\n A = s '50%' }", "line 2: unmatched '%'"},
      {"nul inside", std::string("HKCR { A\0B }", 12), "line 1: NUL character"},
      {"not utf-8", "HKCR { '\xE9' }", "line 1: the script is not well-formed UTF-8"},
  };
  for (const auto& c : cases) {
    RegistryScriptParse parsed = ParseRegistryScript(c.text, {});
    EXPECT_FALSE(parsed.ok()) << c.name;
    EXPECT_EQ(parsed.error.rfind(c.error, 0), 0u) << c.name << ": " << parsed.error;
    EXPECT_TRUE(parsed.script.roots.empty()) << c.name;
  }
}

TEST(RegistryScript, NestingHasALimit) {
  auto nested = [](int depth) {
    std::string text = "HKCR {";
    for (int i = 0; i < depth; ++i) text += " K {";
    for (int i = 0; i < depth; ++i) text += " }";
    return text + " }";
  };
  // The root's block is the first level.
  EXPECT_TRUE(ParseRegistryScript(nested(kMaxRegistryScriptDepth - 1), {}).ok());
  EXPECT_EQ(ParseRegistryScript(nested(kMaxRegistryScriptDepth), {}).error,
            "line 1: keys nested deeper than 64 levels");
  // Far deeper, and unclosed: still a plain error.
  std::string deep = "HKCR {";
  for (int i = 0; i < 200000; ++i) deep += "\nK {";
  EXPECT_EQ(ParseRegistryScript(deep, {}).error, "line 65: keys nested deeper than 64 levels");
}

}  // namespace
}  // namespace win
