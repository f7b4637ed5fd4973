#include "win/registry_script.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace win {
namespace {

constexpr wchar_t kClsid[] = L"{EDE9C14E-B540-40BD-9592-1770FCDF08F4}";
constexpr wchar_t kAppId[] = L"{6BB3D1B4-AFD0-4BBC-8267-8EF854D01B88}";
constexpr wchar_t kModule[] = L"C:\\Program Files\\Bob's Tools\\Clickwell.dll";

const RegistryReplacements kReplacements = {{L"APPID", kAppId}, {L"MODULE", kModule}};

std::string ReadSource(const char* name) {
  std::ifstream file(std::string(STASHLY_CONTEXT_MENU_DIR) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

RegistryScript Parse(std::string_view text, const RegistryReplacements& replacements = {}) {
  RegistryScriptParse parsed = ParseRegistryScript(text, replacements);
  EXPECT_TRUE(parsed.ok()) << parsed.error;
  return parsed.script;
}

const RegistryKeyNode* Child(const std::vector<RegistryKeyNode>& keys, std::wstring_view name) {
  for (const auto& key : keys)
    if (key.name == name) return &key;
  return nullptr;
}

TEST(RegistryScript, ShippedAppIdScript) {
  RegistryScript script = Parse(ReadSource("clickwell_appid.rgs"), kReplacements);
  ASSERT_EQ(script.roots.size(), 1u);
  EXPECT_EQ(script.roots[0].root, RegistryRoot::kClassesRoot);
  ASSERT_EQ(script.roots[0].keys.size(), 1u);
  const RegistryKeyNode& appIds = script.roots[0].keys[0];
  EXPECT_EQ(appIds.name, L"AppID");
  EXPECT_EQ(appIds.disposition, KeyDisposition::kNoRemove);
  ASSERT_EQ(appIds.keys.size(), 2u);

  const RegistryKeyNode& appId = appIds.keys[0];
  EXPECT_EQ(appId.name, kAppId);
  EXPECT_EQ(appId.disposition, KeyDisposition::kNormal);
  EXPECT_TRUE(appId.hasDefaultValue);
  EXPECT_EQ(appId.defaultValue, L"Clickwell");
  EXPECT_TRUE(appId.keys.empty());

  const RegistryKeyNode& dll = appIds.keys[1];
  EXPECT_EQ(dll.name, L"Clickwell.DLL");
  EXPECT_FALSE(dll.hasDefaultValue);
  ASSERT_EQ(dll.values.size(), 1u);
  EXPECT_EQ(dll.values[0].name, L"AppID");
  EXPECT_EQ(dll.values[0].data, kAppId);
}

TEST(RegistryScript, ShippedClassScript) {
  RegistryScript script = Parse(ReadSource("clickwell_class.rgs"), kReplacements);
  ASSERT_EQ(script.roots.size(), 1u);
  const auto& top = script.roots[0].keys;
  ASSERT_EQ(top.size(), 5u);

  const RegistryKeyNode* clsids = Child(top, L"CLSID");
  ASSERT_TRUE(clsids);
  EXPECT_EQ(clsids->disposition, KeyDisposition::kNoRemove);
  ASSERT_EQ(clsids->keys.size(), 1u);
  const RegistryKeyNode& clsid = clsids->keys[0];
  EXPECT_EQ(clsid.name, kClsid);
  EXPECT_EQ(clsid.disposition, KeyDisposition::kForceRemove);
  EXPECT_EQ(clsid.defaultValue, L"ClickwellClass Class");
  const RegistryKeyNode* server = Child(clsid.keys, L"InprocServer32");
  ASSERT_TRUE(server);
  // The module path reaches the tree whole, quote and all.
  EXPECT_EQ(server->defaultValue, kModule);
  ASSERT_EQ(server->values.size(), 1u);
  EXPECT_EQ(server->values[0].name, L"ThreadingModel");
  EXPECT_EQ(server->values[0].data, L"Apartment");

  // The four handler keys, in this order, each under NoRemove parents.
  const std::vector<std::vector<std::wstring>> paths = {
      {L"*"}, {L"Folder"}, {L"Directory", L"Background"}, {L"Directory"}};
  for (size_t i = 0; i < paths.size(); ++i) {
    const RegistryKeyNode* node = &top[i + 1];
    EXPECT_EQ(node->name, paths[i][0]);
    std::vector<std::wstring> rest(paths[i].begin() + 1, paths[i].end());
    rest.push_back(L"ShellEx");
    rest.push_back(L"ContextMenuHandlers");
    for (const auto& name : rest) {
      EXPECT_EQ(node->disposition, KeyDisposition::kNoRemove) << node->name;
      ASSERT_EQ(node->keys.size(), 1u) << node->name;
      node = &node->keys[0];
      EXPECT_EQ(node->name, name);
    }
    EXPECT_EQ(node->disposition, KeyDisposition::kNoRemove);
    ASSERT_EQ(node->keys.size(), 1u);
    const RegistryKeyNode& handler = node->keys[0];
    EXPECT_EQ(handler.name, L"SimpleClickwell");
    EXPECT_EQ(handler.disposition, KeyDisposition::kForceRemove);
    EXPECT_EQ(handler.defaultValue, kClsid);
  }
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
