// The registration scripts the extension ships parse, and every replacement reaches the tree
// whole: a module path with a quote in it cannot break the script. (What they write to the
// registry is checked against the real regsvr32 under Wine.)
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "win/registry_script.h"

namespace win {
namespace {

constexpr wchar_t kAppId[] = L"{6BB3D1B4-AFD0-4BBC-8267-8EF854D01B88}";
constexpr wchar_t kModule[] = L"C:\\Program Files\\Bob's Tools\\Clickwell.dll";

std::string ReadSource(const char* name) {
  std::ifstream file(std::string(STASHLY_CONTEXT_MENU_DIR) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// Every default value and named value of the tree, depth first.
void CollectValues(const std::vector<RegistryKeyNode>& keys, std::vector<std::wstring>& out) {
  for (const RegistryKeyNode& key : keys) {
    if (key.hasDefaultValue) out.push_back(key.defaultValue);
    for (const auto& value : key.values) out.push_back(value.data);
    CollectValues(key.keys, out);
  }
}

TEST(ShippedScripts, ParseAndCarryTheModulePathAndAppIdWhole) {
  const RegistryReplacements replacements = {{L"APPID", kAppId}, {L"MODULE", kModule}};
  for (const char* name : {"clickwell_appid.rgs", "clickwell_class.rgs"}) {
    const std::string text = ReadSource(name);
    ASSERT_FALSE(text.empty()) << name;
    RegistryScriptParse parsed = ParseRegistryScript(text, replacements);
    ASSERT_TRUE(parsed.ok()) << name << ": " << parsed.error;
    std::vector<std::wstring> values;
    for (const auto& root : parsed.script.roots) CollectValues(root.keys, values);
    const std::wstring wanted = std::string_view(name) == "clickwell_appid.rgs" ? kAppId : kModule;
    EXPECT_NE(std::find(values.begin(), values.end(), wanted), values.end()) << name;
  }
}

}  // namespace
}  // namespace win
