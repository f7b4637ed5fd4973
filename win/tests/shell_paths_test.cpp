#include "win/shell_paths.h"

#include <shlobj.h>

#include <gtest/gtest.h>

namespace {

TEST(ShellPaths, FindsTheApplicationDataFolder) {
  std::wstring appData = win::SpecialFolderPath(CSIDL_APPDATA);
  ASSERT_FALSE(appData.empty());
  DWORD attributes = ::GetFileAttributesW(appData.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ShellPaths, CombinesWithinMaxPath) {
  EXPECT_EQ(win::CombinePath(L"C:\\Users\\x", L"Norvane\\Stashly\\favorite.qvd"),
            L"C:\\Users\\x\\Norvane\\Stashly\\favorite.qvd");
  EXPECT_EQ(win::CombinePath(L"C:\\Users\\x\\", L"a"), L"C:\\Users\\x\\a");
  // No folder part: the relative path alone.
  EXPECT_EQ(win::CombinePath(L"", L"Norvane\\Stashly\\favorite.qvd"),
            L"Norvane\\Stashly\\favorite.qvd");
  EXPECT_EQ(win::CombinePath(L"C:\\" + std::wstring(300, L'x'), L"a"), L"");
}

TEST(ShellPaths, ParentFolderAndModulePath) {
  EXPECT_EQ(win::ParentFolder(L"C:\\a\\b\\c.txt"), L"C:\\a\\b");
  EXPECT_EQ(win::ParentFolder(L"c.txt"), L"");
  std::wstring self = win::ModuleFilePath();
  ASSERT_GT(self.size(), 4u);
  EXPECT_EQ(self.substr(self.size() - 4), L".exe");
}

TEST(ShellPaths, CreatesEveryMissingFolderOfATree) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(::GetTempPathW(MAX_PATH, temp), 0u);
  std::wstring root =
      std::wstring(temp) + L"stashly-tree-" + std::to_wstring(::GetCurrentProcessId());
  std::wstring deep = root + L"\\a\\文件\\c";
  EXPECT_TRUE(win::CreateFolderTree(deep));
  EXPECT_NE(::GetFileAttributesW(deep.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(win::CreateFolderTree(deep));  // already there
  // A file in the way is not a folder.
  std::wstring file = root + L"\\file";
  ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_FALSE(win::CreateFolderTree(file));
  EXPECT_FALSE(win::CreateFolderTree(L""));
  ::DeleteFileW(file.c_str());
  for (std::wstring path = deep; path.size() > root.size(); path = win::ParentFolder(path))
    ::RemoveDirectoryW(path.c_str());
  ::RemoveDirectoryW(root.c_str());
}

}  // namespace
