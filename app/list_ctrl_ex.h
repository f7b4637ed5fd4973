#pragma once
// The favourites list: a superclassed system list view with owner-drawn rows (shell icon and
// path), the view of the favourites model, which owns the file on the program's side. Paths
// that no longer exist are drawn dimmed; a row whose path is cut shows it whole on hover.
#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/path_presence.h"
#include "store/favorites_model.h"
#include "win/unique_any.h"
#include "win/window.h"

namespace stashly {

inline constexpr COLORREF kGridLineColor = RGB(236, 233, 216);
inline constexpr COLORREF kSelectedRowColor = RGB(51, 153, 255);
// The text of a row whose path does not exist (any more).
inline constexpr COLORREF kMissingTextColor = RGB(160, 160, 160);
// Posted to the list's parent when there is something to tell the user about the favourites
// file (TakeNotice says what).
inline constexpr UINT WM_FAVORITES_NOTICE = WM_APP + 2;

class CListCtrlEx : public win::Window {
 public:
  CListCtrlEx();

  // Stores the height and makes the control measure its rows again; -1 keeps the system's.
  void SetRowHeight(int height);
  int rowHeight() const { return rowHeight_; }
  // The DPI the rows are drawn at: the message font and the small icon for it, and the margins
  // scaled. Set before SetRowHeight, since a new font makes the list measure its rows anew.
  void SetDpi(UINT dpi);

  // Reads the favourites file again and shows its records, one item each, in file order; the
  // records that were selected stay selected.
  void LoadFavorites();
  // The same, only when the file changed since it was last read (a change notice may have been
  // missed).
  void LoadFavoritesIfChanged();
  // Adds `path` at the end of the favourites file, or deletes the records at `indices` from it,
  // and shows the file as it is then. On failure the list shows it unchanged.
  StoreResult AddFavorite(const std::wstring& path);
  StoreResult DeleteFavorites(std::span<const size_t> indices);
  // Adds the paths at the end, in their order, in one write.
  StoreResult AddFavorites(std::span<const std::wstring> paths);
  // Moves the selected records one place up or down and keeps them selected.
  StoreResult MoveSelected(bool down);
  // What the user has not been told yet about the file (it could not be read, it is too large,
  // a damaged file was kept aside); empty when nothing. Said once per occasion.
  std::wstring TakeNotice();
  bool HasNotice() const { return !notice_.empty(); }

  // How an entry is opened before the shell's "open" is asked: true when `inPlace` took it.
  void SetOpenInPlace(std::function<bool(const std::wstring& path)> inPlace) {
    openInPlace_ = std::move(inPlace);
  }

  int GetItemCount() const;
  int GetNextSelected(int after) const;

 protected:
  win::WindowClass GetWindowClass() const override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Replaces every item with the records of the model.
  void ShowFavorites();
  // Runs `load` on the model and shows the result, with the same records selected and focused.
  template <typename Load>
  void Reload(Load load);
  std::vector<size_t> Selected() const;
  // Selects (and focuses) the rows marked in `rows`.
  void SelectRows(const std::vector<bool>& rows, int focused);
  // Gathers what the last read of the model has to tell the user and asks the parent to say it.
  void CollectNotice();
  int InsertItem(int index, const wchar_t* text);
  // Text of an item's column; empty for an index with no item.
  std::wstring GetItemText(int index, int column) const;
  void DrawRow(const DRAWITEMSTRUCT& item);
  void OpenEntry(int index);
  bool OnKeyDown(UINT key);
  void SelectAll();
  // Where column 0 draws the text of a row, in client coordinates.
  RECT TextRect(int index) const;
  // The size of a record's text in the list's font; whether it is wider than its place.
  SIZE TextExtent(int index) const;
  bool IsCut(int index) const;
  // The full-path tip: armed when the pointer comes to a row, shown after the hover delay when
  // the row's text is cut, gone when the pointer leaves the row.
  void OnMouseMove(POINT at);
  void ShowTip();
  void HideTip();

  int rowHeight_ = -1;
  bool showIcons_ = true;
  UINT dpi_ = 0;
  int iconSize_ = 16;
  win::UniqueFont font_;
  FavoritesModel favorites_;
  std::function<bool(const std::wstring& path)> openInPlace_;
  ReadResult toldTrouble_ = ReadResult::kRead;
  std::wstring notice_;
  PathPresence presence_;
  win::UniqueWindow tip_;
  int tipItem_ = -1;
  bool trackingLeave_ = false;
};

// The shell's small icon for a path by its type alone, without touching the disk: the generic
// folder icon for a folder, a neutral one for a path that does not exist, the icon of the
// extension for anything else (also while it is not known yet). Wanted larger than the system's
// small icons (a monitor of a higher DPI), it is the large one, to be drawn smaller.
win::UniqueIcon ShellIconOf(const wchar_t* path, Presence presence, int size = 16);

}  // namespace stashly
