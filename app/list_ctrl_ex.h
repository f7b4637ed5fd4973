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
  // Adds `path` at the end of the favourites file, or deletes the records at `indices` from it,
  // and shows the file as it is then. False when the file could not be written (the list then
  // shows it unchanged).
  bool AddFavorite(const std::wstring& path);
  bool DeleteFavorites(std::span<const size_t> indices);

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
