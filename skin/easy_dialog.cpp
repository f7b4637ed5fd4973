#include "skin/easy_dialog.h"

#include <shlwapi.h>

#include "abi/image_object.h"
#include "skin/markup.h"
#include "skin/skin_description.h"
#include "skin/skin_layout.h"
#include "win/dpi.h"
#include "win/gdi.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/text.h"
#include "win/unique_any.h"

namespace stashly {
namespace {

// A skin description larger than this is not a skin description.
constexpr LONGLONG kMaxSkinFileSize = 16 << 20;

std::string ReadSkinFile(const std::wstring& path) {
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxSkinFileSize) return {};
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    return {};
  bytes.resize(read);
  return bytes;
}

SkinRect ClientOf(HWND hwnd) {
  RECT client{};
  ::GetClientRect(hwnd, &client);
  return win::FromRect<SkinRect>(client);
}

// A block draws inside its rectangle, except that a run wider than it breaks onto a second
// line below; the test is generous about the height for that reason.
bool TextVisible(HDC dc, const CXStyledText& text) {
  RECT area = text.rect();
  area.bottom += area.bottom - area.top;
  return ::RectVisible(dc, &area) != FALSE;
}

}  // namespace

void CXTitleBar::CreateIcon(const std::wstring& path) {
  if (!::PathFileExistsW(path.c_str())) return;
  icon = std::make_unique<CXPngButton>();
  if (!icon->Create(window, RECT{})) {
    icon.reset();
    return;
  }
  icon->SetDpi(dpi);
  icon->SetImage(path, 1);
  PlaceIcon();
  icon->Enable(false);
}

void CXTitleBar::CreateCloseButton(const std::wstring& path, const std::wstring& name) {
  close = std::make_unique<CXPngButton>();
  if (!close->Create(window, RECT{}, 0, 0, kCloseCommand)) {
    close.reset();
    return;
  }
  close->SetDpi(dpi);
  close->SetImage(path, 3);
  ::SetWindowLongW(close->hwnd(), GWL_ID, kCloseCommand);
  ::SetWindowTextW(close->hwnd(), name.c_str());
  PlaceClose();
  ::ShowWindow(close->hwnd(), SW_SHOW);
}

void CXTitleBar::SetTitle(const std::wstring& markup) {
  if (!title) title = std::make_unique<CXStyledText>();
  title->SetDpi(dpi);
  title->SetText(markup);
  PlaceTitle();
}

void CXTitleBar::Rescale(UINT newDpi) {
  dpi = newDpi;
  if (icon && icon->hwnd()) {
    icon->Rescale(dpi);
    PlaceIcon();
  }
  if (close && close->hwnd()) {
    close->Rescale(dpi);
    PlaceClose();
  }
  if (title) {
    title->SetDpi(dpi);
    PlaceTitle();
  }
}

void CXTitleBar::PlaceIcon() {
  SIZE frame = icon->GetFrameSize();
  SkinRect rect = TitleIconRect(ClientOf(window), SkinSize{frame.cx, frame.cy}, dpi);
  ::MoveWindow(icon->hwnd(), rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

void CXTitleBar::PlaceClose() {
  SIZE frame = close->GetFrameSize();
  SkinRect rect = CloseButtonRect(ClientOf(window), SkinSize{frame.cx, frame.cy}, dpi);
  ::MoveWindow(close->hwnd(), rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

void CXTitleBar::PlaceTitle() {
  std::optional<int32_t> iconRight;
  if (icon && icon->hwnd()) {
    RECT iconRect{};
    ::GetWindowRect(icon->hwnd(), &iconRect);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&iconRect), 2);
    iconRight = iconRect.right;
  }
  SkinRect rect = TitleTextRect(ClientOf(window), iconRight, dpi);
  title->SetRect(rect.left, rect.top, rect.right, rect.bottom);
}

CXEasyDialog::~CXEasyDialog() {
  // The windows go first (they may still paint through their images), then the objects.
  DestroyWindow();
}

win::DialogTemplate CXEasyDialog::Template() const {
  return win::DialogTemplate().Style(win::kWsPopup).Bounds(0, 0, 187, 98).Font(8, u"MS Shell Dlg");
}

void CXEasyDialog::LoadSkin(const std::wstring& relativePath) {
  skinDir_ = win::ProgramFolder();
  titleBar_.window = hwnd();
  dpi_ = win::WindowDpi(hwnd());
  titleBar_.dpi = dpi_;
  std::wstring file = win::CombinePath(skinDir_, relativePath);
  if (file.empty()) return;
  SkinDescription skin = ParseSkinDescription(ReadSkinFile(file), win::CodePageCodec(CP_ACP));
  if (!skin.loaded) return;
  // Kept: a change of DPI lays the same skin out again.
  skin_ = std::move(skin);

  if (skin_.main) {
    const SkinMain& main = *skin_.main;
    // The corner size is known before the resize, so its WM_SIZE already rounds the window.
    roundCorner_ = Scale(main.roundCorner);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, Scale(main.width), Scale(main.height),
                   SWP_NOMOVE | SWP_NOZORDER);
    if (!main.titleIcon.empty()) titleBar_.CreateIcon(Site().Path(main.titleIcon));
    titleBar_.SetTitle(FormatTitleMarkup(main.titleColor, main.title));
    ::SetWindowTextW(hwnd(), main.title.c_str());
  }
  if (skin_.sysButton)
    titleBar_.CreateCloseButton(Site().Path(skin_.sysButton->sysClose), skin_.sysButton->name);
  LoadBackgrounds();

  for (SkinElementKind kind : kSkinListOrder)
    for (size_t index = 0; index < skin_.List(kind).size(); ++index) Build(kind, index);
  CheckDefaultRadio();
}

void CXEasyDialog::LoadBackgrounds() {
  if (!skin_.background) return;
  if (!skin_.background->bkImage.empty())
    bkImage_ = LoadImageForDpi(Site().Path(skin_.background->bkImage), 1, dpi_);
  if (!skin_.background->bkLayer.empty())
    bkLayer_ = LoadImageForDpi(Site().Path(skin_.background->bkLayer), 1, dpi_);
}

void CXEasyDialog::Build(SkinElementKind kind, size_t index) {
  const SkinElement& element = skin_.List(kind)[index];
  std::unique_ptr<CXSkinElement> object =
      CreateSkinElement(win::ToWide(SkinElementName(kind), CP_ACP));
  if (!object) return;
  controls_[element.msg] = object.get();
  BuildElement(kind, Site(), element, *object);
  built_.push_back({kind, index, std::move(object)});
}

void CXEasyDialog::CheckDefaultRadio() {
  const std::optional<size_t> index = DefaultRadioIndex(skin_.radios);
  if (!index) return;
  // The radio object itself, not a lookup by id: another control may carry the same id.
  for (const Built& built : built_) {
    if (built.kind != SkinElementKind::kRadio || built.index != *index) continue;
    if (HWND radio = static_cast<CXRadioButton&>(*built.object).hwnd())
      ::SendMessageW(radio, XRM_SETCHECK, 1, 0);
  }
}

void CXEasyDialog::OnDpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  if (skin_.main) roundCorner_ = Scale(skin_.main->roundCorner);
  ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // A suggestion of the same size brings no WM_SIZE, but the corners may have changed.
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  RoundCorners(client.right, client.bottom);
  titleBar_.Rescale(dpi_);
  LoadBackgrounds();
  const BuildSite site = Site();
  for (const Built& built : built_)
    PlaceElement(built.kind, site, skin_.List(built.kind)[built.index], *built.object);
  ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CXEasyDialog::RoundCorners(int width, int height) {
  if (!roundCorner_) return;
  win::UniqueRgn region(::CreateRoundRectRgn(0, 0, width, height, roundCorner_, roundCorner_));
  // A region the window takes is the system's from then on; one it refuses is still ours.
  if (region && ::SetWindowRgn(hwnd(), region.get(), TRUE)) region.release();
}

CXSkinElement* CXEasyDialog::GetControl(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

int CXEasyDialog::GetRadioSelection(int group) const {
  auto found = radioSelection_.find(group);
  return found == radioSelection_.end() ? 0 : found->second;
}

void CXEasyDialog::OnRadioChecked(int group, int id) {
  auto members = radioGroups_.find(group);
  if (members == radioGroups_.end()) return;
  for (int member : members->second) {
    radioSelection_[group] = id;
    if (member == id) continue;
    if (HWND other = ::GetDlgItem(hwnd(), member)) {
      ::PostMessageW(other, XRM_SETCHECK, 0, 0);
      ::InvalidateRect(other, nullptr, TRUE);
    }
  }
}

void CXEasyDialog::PaintSurface(HDC dc, const RECT& r) const {
  if (bkImage_) bkImage_->Draw(dc, r.left, r.top, r.right, r.bottom, 0, 0, 100, 0);
  if (bkLayer_) bkLayer_->DrawMode3(dc, r.left, r.top, r.right - 1, r.bottom - 1, 100);
  // A control taking the surface under it asks for a small part only; what lies outside that
  // part is not drawn at all (each string makes its fonts anew on every draw).
  ForEachBuilt<const CXPictureItem>(SkinElementKind::kImage, [dc](const CXPictureItem& picture) {
    if (::RectVisible(dc, &picture.rect())) picture.Draw(dc);
  });
  ForEachBuilt<CXStyledText>(SkinElementKind::kXString, [dc](CXStyledText& text) {
    if (TextVisible(dc, text)) text.Draw(dc, 0);
  });
  if (titleBar_.title && TextVisible(dc, *titleBar_.title)) titleBar_.title->Draw(dc, 0);
}

void CXEasyDialog::Paint() {
  win::PaintScope paint(hwnd());
  if (!paint.dc() || ::IsRectEmpty(&paint.paintRect())) return;
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  win::DoubleBuffer buffer(paint.dc(), client);
  PaintSurface(buffer.dc(), client);
}

std::optional<INT_PTR> CXEasyDialog::EndFor(UINT command) const {
  for (const DialogEnd& end : Ends())
    if (end.command == command) return end.result;
  return std::nullopt;
}

bool CXEasyDialog::Command(UINT id) {
  if (const std::optional<INT_PTR> end = EndFor(id)) {
    EndDialog(*end);
    return true;
  }
  return OnCommand(id);
}

bool CXEasyDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      CenterWindow();
      titleBar_.window = hwnd();
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT:
      Paint();
      result = 0;
      return true;
    case WM_PRINTCLIENT: {
      // Lets the skinned controls take the surface under them without reading the screen.
      RECT client{};
      ::GetClientRect(hwnd(), &client);
      PaintSurface(reinterpret_cast<HDC>(wParam), client);
      result = 1;
      return true;
    }
    case WM_SIZE:
      RoundCorners(LOWORD(lParam), HIWORD(lParam));
      result = 0;
      return true;
    case win::kGetDpiScaledSizeMessage:
      // The skin scales in proportion, not as the template's dialog font would.
      if (!skin_.main || !lParam) break;
      reinterpret_cast<SIZE*>(lParam)->cx = ScaleToDpi(skin_.main->width, LOWORD(wParam));
      reinterpret_cast<SIZE*>(lParam)->cy = ScaleToDpi(skin_.main->height, LOWORD(wParam));
      result = TRUE;
      return true;
    case WM_DPICHANGED:
      if (lParam) OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      result = 0;
      return true;
    case WM_LBUTTONDOWN:
      if (draggable_) PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, 0);
      result = 0;
      return true;
    case XWM_RADIOADD:
      radioGroups_[static_cast<int>(wParam)].push_back(static_cast<int>(lParam));
      result = 0;
      return true;
    case XWM_RADIOCHECKED:
      OnRadioChecked(static_cast<int>(wParam), static_cast<int>(lParam));
      result = 0;
      return true;
    case WM_COMMAND:
      if (!Command(LOWORD(wParam))) break;
      result = 0;
      return true;
  }
  return Dialog::HandleMessage(message, wParam, lParam, result);
}

}  // namespace stashly
