#pragma once
// Registration scripts in the COM registrar's grammar, parsed into a tree that the registrar
// then writes to or removes from the registry:
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove {guid} = s 'Name'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// Tokens are separated by white space; a token that starts with ' is quoted text up to the next
// lone ' ('' stands for one quote). Keywords (root names, NoRemove, ForceRemove, val, s) ignore
// case. %NAME% in a name or value is replaced from the replacement map (%% is one %); this
// happens after the quotes are read, so a replacement holding a quote cannot break the script.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace win {

enum class RegistryRoot { kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig };

enum class KeyDisposition {
  kNormal,       // written on register; on unregister removed once it has no sub-keys left
  kNoRemove,     // never removed: unregistering only walks its sub-keys and named values
  kForceRemove,  // removed with everything below it before it is written, and on unregister
};

struct RegistryNamedValue {
  std::wstring name;
  std::wstring data;  // REG_SZ
};

struct RegistryKeyNode {
  KeyDisposition disposition = KeyDisposition::kNormal;
  std::wstring name;
  bool hasDefaultValue = false;
  std::wstring defaultValue;  // REG_SZ
  std::vector<RegistryNamedValue> values;
  std::vector<RegistryKeyNode> keys;
};

struct RegistryRootNode {
  RegistryRoot root = RegistryRoot::kClassesRoot;
  std::vector<RegistryKeyNode> keys;
};

struct RegistryScript {
  std::vector<RegistryRootNode> roots;
};

// Name (without the % signs, matched regardless of case) and the text it stands for.
using RegistryReplacements = std::vector<std::pair<std::wstring, std::wstring>>;

// Keys nested deeper than this are refused rather than followed.
inline constexpr int kMaxRegistryScriptDepth = 64;

struct RegistryScriptParse {
  RegistryScript script;
  std::string error;  // "line N: what is wrong"; empty when the script was read
  bool ok() const { return error.empty(); }
};

// Parses UTF-8 text (a leading byte-order mark is skipped).
RegistryScriptParse ParseRegistryScript(std::string_view utf8,
                                        const RegistryReplacements& replacements);

}  // namespace win
