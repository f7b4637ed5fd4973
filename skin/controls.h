#pragma once
// The skinned controls: image-strip push buttons, check boxes and radio buttons, an edit box
// with a background image, and the windowless picture item. Buttons look through to their
// parent: they paint the parent's pixels under them first (kept from the first paint), then
// their image frame and caption, all in one memory bitmap.
#include <windows.h>

#include <memory>
#include <string>

#include "skin/image_provider.h"
#include "skin/skin_element.h"
#include "skin/styled_text.h"
#include "win/window.h"

namespace stashly {

// A skinned button. It takes the focus only where its parent gives it a tab stop; with the focus
// it shows a focus rectangle, and Space or Enter click it.
//
// For accessibility tools it is a standard button: its window text (never drawn) is its name,
// its style carries the kind (BS_PUSHBUTTON, BS_CHECKBOX, BS_RADIOBUTTON), BM_GETCHECK and
// BM_GETSTATE answer with its state, a push button says it is not the default one
// (DLGC_UNDEFPUSHBUTTON: Enter only ever presses the focused button), and the system's proxy
// for buttons answers for it (WM_GETOBJECT).
class CXButtonImpl : public win::Window, public CXSkinElement {
 public:
  // The window style to create the button with: the child-control traits and its kind.
  DWORD ControlStyle() const { return win::kControlStyle | buttonStyle_; }
  // The DPI its image, caption and margins are made for; 0 (the start): as they are.
  void SetDpi(UINT dpi) { dpi_ = dpi; }
  UINT dpi() const { return dpi_; }
  // Frame count 0 or less, or a missing file: nothing happens. A push button takes the size of
  // one frame of its image (unless the image reports 0 x 0); check boxes and radio buttons keep
  // theirs. The image is the one drawn for the button's DPI (LoadImageForDpi).
  void SetImage(const std::wstring& path, int frameCount);
  // Makes everything again for another DPI, in place: the image, a push button's size, the
  // caption; the z-order stays.
  void Rescale(UINT dpi);
  // Text with "{style=" becomes a styled caption block; other text is the plain caption.
  void SetCaption(const std::wstring& text);
  void SetCaptionColors(COLORREF normal, bool perState, COLORREF hover, COLORREF pressed,
                        COLORREF fourth);
  int GetCheck() const { return checked_; }
  void SetCheck(int checked) { checked_ = checked; }  // neither repaints nor notifies
  SIZE GetFrameSize() const;
  void Enable(bool enable) { ::EnableWindow(hwnd(), enable); }

  int state() const { return state_; }
  bool pressed() const { return pressed_ != 0; }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  int textAlign_ = 1;
  int textOffsetX_ = 0;
  int textOffsetY_ = 0;
  int checkStyle_ = 0;
  int checked_ = 0;
  DWORD buttonStyle_ = BS_PUSHBUTTON;

 private:
  // Loads the image for the button's DPI; a push button then takes the size of one frame, the
  // window moved with `sizeFlags`.
  void LoadImage(UINT sizeFlags);
  // BM_GETCHECK's answer, and BM_GETSTATE's with the pushed, hot and focus bits.
  LRESULT CheckState() const;
  LRESULT ButtonState() const;
  void SetState(int state);
  // What a click does: the command to the parent, and the check turned over.
  void Click();
  void Paint();
  // WM_PAINT and WM_PRINTCLIENT alike draw the whole control into `target` through one buffer.
  void PaintTo(HDC target);

  int pressed_ = 0;
  int tracking_ = 0;
  int state_ = 0;
  UINT dpi_ = 0;
  win::UniqueBitmap snapshot_;
  std::unique_ptr<CXStyledText> captionBlock_;
  ImageObjectPtr image_;
  std::wstring imagePath_;
  int frameCount_ = 0;
  std::wstring caption_;
  COLORREF captionColors_[4] = {};
  RECT frameRect_{};
};

class CXPngButton : public CXButtonImpl {};

class CXCheckButton : public CXButtonImpl {
 public:
  CXCheckButton();
};

class CXRadioButton : public CXButtonImpl {
 public:
  CXRadioButton();
  void SetGroup(int group) { group_ = group; }
  // Stores the id, tells the parent (XWM_RADIOADD) and makes it the control id.
  void SetRadioId(int id);
  int group() const { return group_; }
  int radioId() const { return radioId_; }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  int radioId_ = 0;
  int group_ = 0;
};

// The system EDIT inside a CXPngEdit: transparent, black text on its container's background.
class CXPngEditT : public win::Window {
 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class CXPngEdit : public win::Window, public CXSkinElement {
 public:
  // The DPI the margins, the font and the background are made for; makes the font and places
  // the inner edit again. 0 (the start): as they are.
  void SetDpi(UINT dpi);
  // The background drawn for the edit's DPI (LoadImageForDpi).
  void SetBkImage(const std::wstring& path, int frameCount);
  RECT GetImageRect() const { return imageRect_; }
  HWND editWindow() const { return edit_.hwnd(); }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Paint();
  void PaintTo(HDC target);
  void PlaceEdit(int width, int height);

  CXPngEditT edit_;
  ImageObjectPtr image_;
  RECT imageRect_{};
  win::UniqueFont font_;
  UINT dpi_ = 0;
};

// A windowless image of the skin, painted by its dialog.
class CXPictureItem : public CXSkinElement {
 public:
  void SetImage(ImageObjectPtr image) { image_ = std::move(image); }
  void SetRect(const RECT& rect) { rect_ = rect; }
  void SetDrawType(int drawType) { drawType_ = drawType; }
  // Drawtypes 0 to 4; any other draws nothing, as does an item without an image.
  void Draw(HDC dc) const;

  IImageObject* image() const { return image_.get(); }
  const RECT& rect() const { return rect_; }
  int drawType() const { return drawType_; }

 private:
  ImageObjectPtr image_;
  int drawType_ = 0;
  RECT rect_{};
};

// "button", "check", "radio", "edit", "xstring" or "image" in any letter case; null otherwise.
std::unique_ptr<CXSkinElement> CreateSkinElement(const std::wstring& kind);

// Paints the parent's surface under `child` into `dc` (whose origin is the child's client
// origin): the parent draws itself through WM_PRINTCLIENT when it can, else its pixels on the
// screen are copied.
void PaintParentBackground(HWND child, HDC dc, const RECT& clientRect);

}  // namespace stashly
