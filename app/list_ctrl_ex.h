#pragma once
// The favourites list: a superclassed system list view with owner-drawn rows (shell icon and
// path), the view of the favourites model, which owns the file on the program's side.
#include <windows.h>

#include <span>
#include <string>

#include "store/favorites_model.h"
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

  // Reads the favourites file again and shows its records, one item each, in file order.
  void LoadFavorites();
  // Rewrites the favourites file from the records shown. Does nothing when the last load found
  // the file unreadable: a partial list must not replace it.
  void SaveFavorites();
  // Shows `path` as a new last item and saves (no reload).
  void AddFavorite(const std::wstring& path);
  // Deletes the items at `indices`, saves, then reads the file again.
  void DeleteFavorites(std::span<const size_t> indices);

  int GetItemCount() const;
  int GetNextSelected(int after) const;

 protected:
  win::WindowClass GetWindowClass() const override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Replaces every item with the records of the model.
  void ShowFavorites();
  int InsertItem(int index, const wchar_t* text);
  // Text of an item's column; empty for an index with no item.
  std::wstring GetItemText(int index, int column) const;
  void DrawRow(const DRAWITEMSTRUCT& item);
  void OpenEntry(int index);

  int rowHeight_ = -1;
  bool showIcons_ = true;
  FavoritesModel favorites_;
};

// The shell's small icon for a path by its type alone: the generic folder icon for a folder,
// the icon of the extension for anything else (also when the file does not exist).
win::UniqueIcon ShellIconOf(const wchar_t* path);

}  // namespace stashly
