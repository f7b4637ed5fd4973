#pragma once
// The skinned dialog: a borderless pop-up whose whole look comes from a skin description
// beside the program. It paints its backgrounds, windowless strings and images and the title
// double-buffered, rounds its corners, moves when dragged by any free spot, keeps radio groups
// exclusive and ends on the commands its class lists (skin/dialog_commands.h).
//
// A subclass, in its WM_INITDIALOG handler: SetDraggable(true), LoadSkin(its file), its own
// set-up through GetControl, and last hands WM_INITDIALOG on to this class. What its commands
// do it says through Ends and OnCommand rather than by handling WM_COMMAND itself.
//
// The skin is laid out for the DPI of the window's monitor: its 96-DPI figures scaled (see
// skin_layout.h), its images drawn for that scale. When the window moves to a monitor of
// another DPI (WM_DPICHANGED) it takes the rectangle the system suggests and lays the skin out
// again; a subclass with more to lay out handles the message after this class.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "skin/controls.h"
#include "skin/dialog_commands.h"
#include "skin/element_builders.h"
#include "skin/image_provider.h"
#include "skin/skin_description.h"
#include "skin/skin_element.h"
#include "skin/styled_text.h"
#include "win/dialog.h"

namespace stashly {

class CXTitleBar {
 public:
  HWND window = nullptr;
  UINT dpi = 0;
  std::unique_ptr<CXPngButton> icon;
  std::unique_ptr<CXPngButton> close;
  std::unique_ptr<CXStyledText> title;

  void CreateIcon(const std::wstring& path);
  void CreateCloseButton(const std::wstring& path, const std::wstring& name);
  void SetTitle(const std::wstring& markup);
  // Images, places and the title's font again, at `newDpi`.
  void Rescale(UINT newDpi);

 private:
  void PlaceIcon();
  void PlaceClose();
  void PlaceTitle();
};

class CXEasyDialog : public win::Dialog {
 public:
  CXEasyDialog() = default;
  ~CXEasyDialog() override;

  void SetDraggable(bool draggable) { draggable_ = draggable; }
  bool draggable() const { return draggable_; }
  // Reads the skin file at `relativePath` under the program directory and builds the dialog
  // from it. A missing or broken file leaves the dialog as it is.
  void LoadSkin(const std::wstring& relativePath);
  // The element registered last under `id`, or null.
  CXSkinElement* GetControl(int id) const;
  template <typename T>
  T* GetControlAs(int id) const {
    return dynamic_cast<T*>(GetControl(id));
  }
  // The id of the checked radio button of `group`, or 0.
  int GetRadioSelection(int group) const;

  const std::wstring& skinDir() const { return skinDir_; }
  int roundCorner() const { return roundCorner_; }
  const CXTitleBar& titleBar() const { return titleBar_; }
  // The DPI the skin is laid out for.
  UINT dpi() const { return dpi_; }
  // A 96-DPI figure (a margin, a size) at the skin's DPI.
  int Scale(int value) const { return ScaleToDpi(value, dpi_); }

 protected:
  win::DialogTemplate Template() const override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // The commands that end this dialog when it runs modally, each with its result. A class whose
  // commands mean something else lists its own (none, for a window never ended as a dialog).
  virtual std::span<const DialogEnd> Ends() const { return kDefaultDialogEnds; }
  // A command that does not end the dialog: true when the class has handled it. One no class
  // handles goes to the framework, which reflects a child control's notification back to it.
  virtual bool OnCommand(UINT /*id*/) { return false; }
  // The result `command` ends this dialog with, or none when it does not end it.
  std::optional<INT_PTR> EndFor(UINT command) const;
  // Draws the whole surface (backgrounds, images, strings, title) into `dc`.
  void PaintSurface(HDC dc, const RECT& client) const;

 private:
  // An element the skin made: the description it was made from, and its object.
  struct Built {
    SkinElementKind kind;
    size_t index;  // into skin_.List(kind)
    std::unique_ptr<CXSkinElement> object;
  };

  void Paint();
  // Ends the dialog or hands the command to OnCommand; false when neither took it.
  bool Command(UINT id);
  void OnRadioChecked(int group, int id);
  void RoundCorners(int width, int height);
  void LoadBackgrounds();
  // Makes element `index` of the skin's list of `kind`, when the control factory makes it.
  void Build(SkinElementKind kind, size_t index);
  // Checks the skin's default radio button.
  void CheckDefaultRadio();
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  // Where the skin's elements are made and laid out: this window, at its skin's DPI.
  BuildSite Site() const { return BuildSite{hwnd(), dpi_, skinDir_}; }
  // Calls `draw` with every element of `kind` as a T, in the order the skin made them.
  template <typename T, typename Draw>
  void ForEachBuilt(SkinElementKind kind, Draw&& draw) const {
    for (const Built& built : built_)
      if (built.kind == kind) draw(static_cast<T&>(*built.object));
  }

  std::wstring skinDir_;
  SkinDescription skin_;
  UINT dpi_ = 0;
  int roundCorner_ = 0;
  bool draggable_ = false;
  ImageObjectPtr bkImage_;
  ImageObjectPtr bkLayer_;
  CXTitleBar titleBar_;
  // Every element the skin made, in creation order (an element whose id was taken again still
  // exists and draws); `controls_` maps each id to the last one.
  std::vector<Built> built_;
  std::map<int, CXSkinElement*> controls_;
  std::map<int, std::vector<int>> radioGroups_;
  std::map<int, int> radioSelection_;
};

}  // namespace stashly
