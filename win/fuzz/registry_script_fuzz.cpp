// Any bytes must parse without a fault into either a tree or an error, never both.
#include <cstdint>
#include <cstdlib>

#include "win/registry_script.h"

namespace {

size_t CountKeys(const std::vector<win::RegistryKeyNode>& keys, int depth) {
  if (depth > win::kMaxRegistryScriptDepth) std::abort();
  size_t count = keys.size();
  for (const auto& key : keys) {
    if (key.name.empty() || key.name.find(L'\\') != std::wstring::npos) std::abort();
    count += CountKeys(key.keys, depth + 1);
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const win::RegistryReplacements replacements = {{L"APPID", L"{app}"},
                                                         {L"MODULE", L"C:\\a'b%MODULE%.dll"}};
  std::string_view text(reinterpret_cast<const char*>(data), size);
  win::RegistryScriptParse parsed = win::ParseRegistryScript(text, replacements);
  if (!parsed.ok()) {
    if (!parsed.script.roots.empty() || parsed.error.rfind("line ", 0) != 0) std::abort();
    return 0;
  }
  for (const auto& root : parsed.script.roots) CountKeys(root.keys, 1);
  return 0;
}
