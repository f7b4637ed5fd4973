#pragma once
// The favourites list: a superclassed system list view with owner-drawn rows (shell icon and
// path), which owns the favourites file on the program's side.
#include <windows.h>

#include <string>

#include "app/favorites_format.h"
#include "win/unique_any.h"
#include "win/window.h"

namespace stashly {

inline constexpr COLORREF kGridLineColor = RGB(236, 233, 216);
inline constexpr COLORREF kSelectedRowColor = RGB(51, 153, 255);

class CListCtrlEx : public win::Window {
 public:
  // Stores the height and makes the control measure its rows again; -1 keeps the system's.
  void SetRowHeight(int height);
  int rowHeight() const { return rowHeight_; }

  // Replaces every item with the records of the favourites file.
  void LoadFavorites();
  // Rewrites the favourites file from the items, in display order. Does nothing when the last
  // load found the file unreadable: a partial list must not replace it.
  void SaveFavorites();
  const std::wstring& favoritesFilePath() const { return favoritesFilePath_; }

  int GetItemCount() const;
  // Text of an item's column; empty for an index with no item.
  std::wstring GetItemText(int index, int column = 0) const;
  // Inserts an item with `text` at `index`; its new index, or -1.
  int InsertItem(int index, const std::wstring& text);
  bool DeleteItem(int index);
  int GetNextSelected(int after) const;

 protected:
  win::WindowClass GetWindowClass() const override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void DrawRow(const DRAWITEMSTRUCT& item);
  void OpenEntry(int index);

  int rowHeight_ = -1;
  bool showIcons_ = true;
  bool fileUnreadable_ = false;
  RecordList loadedLines_;
  std::wstring favoritesFilePath_;
};

// The shell's small icon for a path by its type alone: the generic folder icon for a folder,
// the icon of the extension for anything else (also when the file does not exist).
win::UniqueIcon ShellIconOf(const std::wstring& path);

}  // namespace stashly
