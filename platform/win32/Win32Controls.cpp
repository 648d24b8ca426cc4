// Controls on the Win32 API: push buttons, glyph buttons, labels, icons and
// one-line edit boxes, and the events they report.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "platform/win32/Win32Window.h"

#include <stdexcept>

namespace velmora::platform::win32 {

namespace {

constexpr wchar_t GlyphButtonClass[] = L"Velmora2GlyphButton";
constexpr COLORREF Silver = RGB(192, 192, 192);

// Labels, icons and buttons are painted on the form's background.
HBRUSH transparentOnForm(HWND control, HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  return formBackground(control);
}

class ButtonWindow final : public Win32Peer<ButtonPeer> {
 public:
  ButtonWindow(const ButtonParams& params, WindowEvents& events) : Win32Peer(events) {
    createWindow(params, childCreation(params, WC_BUTTONW,
                                       WS_TABSTOP | (params.defaultButton ? BS_DEFPUSHBUTTON
                                                                          : BS_PUSHBUTTON)));
    if (params.visible) showWindow(true);
  }

  void setDefaultLook(bool isDefault) override {
    if (hwnd() == nullptr) return;
    SendMessageW(hwnd(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }

  void command(UINT code) override {
    // A disabled button cannot be pressed, not even by a BM_CLICK.
    if (code == BN_CLICKED && IsWindowEnabled(hwnd())) events().onEvent(Click{});
  }

  HBRUSH controlColor(HDC dc) override { return transparentOnForm(hwnd(), dc); }
};

class LabelWindow final : public Win32Peer<WindowPeer> {
 public:
  LabelWindow(const LabelParams& params, WindowEvents& events) : Win32Peer(events) {
    createWindow(params, childCreation(params, WC_STATICW, SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL));
    if (params.visible) showWindow(true);
  }

  HBRUSH controlColor(HDC dc) override { return transparentOnForm(hwnd(), dc); }
};

HICON systemIcon(SystemIcon icon) {
  switch (icon) {
    case SystemIcon::Error: return LoadIconW(nullptr, IDI_ERROR);
    case SystemIcon::Question: return LoadIconW(nullptr, IDI_QUESTION);
    case SystemIcon::Information: return LoadIconW(nullptr, IDI_INFORMATION);
    case SystemIcon::Warning: return LoadIconW(nullptr, IDI_WARNING);
    case SystemIcon::None: break;
  }
  return nullptr;
}

class IconWindow final : public Win32Peer<WindowPeer> {
 public:
  IconWindow(const IconParams& params, WindowEvents& events) : Win32Peer(events) {
    createWindow(params, childCreation(params, WC_STATICW, SS_ICON));
    SendMessageW(hwnd(), STM_SETICON, reinterpret_cast<WPARAM>(systemIcon(params.icon)), 0);
    if (params.visible) showWindow(true);
  }

  HBRUSH controlColor(HDC dc) override { return transparentOnForm(hwnd(), dc); }
};

class EditWindow final : public Win32Peer<EditPeer> {
 public:
  EditWindow(const EditParams& params, WindowEvents& events) : Win32Peer(events) {
    createWindow(params, childCreation(params, WC_EDITW, WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                                       WS_EX_CLIENTEDGE));
    if (params.visible) showWindow(true);
  }

  TextSelection selection() const override { return textSelection(EM_GETSEL); }

  void setSelection(TextSelection selection) override {
    if (hwnd() == nullptr) return;
    const Utf16Range range = utf16Range(wideText(), selection);
    SendMessageW(hwnd(), EM_SETSEL, static_cast<WPARAM>(range.start), range.end);
    SendMessageW(hwnd(), EM_SCROLLCARET, 0, 0);
  }

  void command(UINT code) override {
    if (code != EN_CHANGE || quiet()) return;
    SystemText text = toSystemText(wideText());
    events().onEvent(TextChange{std::move(text.text), text.held});
  }
};

// The glyph's pixels (0x00RRGGBB), read once from the bitmap resource.
struct Glyph {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// Pixels of 32 bits (0x00RRGGBB), the top row first.
BITMAPINFO pixelFormat(int width, int height) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  return format;
}

Glyph loadGlyph(int resource) {
  Glyph glyph;
  if (resource == 0) return glyph;
  GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, 0)));
  BITMAP info{};
  if (bitmap.get() == nullptr || GetObjectW(bitmap.get(), sizeof info, &info) == 0) {
    throw std::runtime_error("no glyph bitmap " + std::to_string(resource));
  }
  glyph.width = info.bmWidth;
  glyph.height = info.bmHeight;
  glyph.pixels.resize(static_cast<std::size_t>(glyph.width) * glyph.height);
  BITMAPINFO format = pixelFormat(glyph.width, glyph.height);
  ScreenDc dc(GetDC(nullptr));
  GetDIBits(dc.get(), bitmap.get(), 0, static_cast<UINT>(glyph.height), glyph.pixels.data(),
            &format, DIB_RGB_COLORS);
  for (std::uint32_t& pixel : glyph.pixels) pixel &= 0xFFFFFF;
  return glyph;
}

std::uint32_t pixelOf(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// A flat button of our own that shows a bitmap with its silver pixels
// transparent. It never takes the focus: it clicks on release inside.
class GlyphButtonWindow final : public Win32Peer<WindowPeer> {
 public:
  GlyphButtonWindow(const GlyphButtonParams& params, WindowEvents& events)
      : Win32Peer(events), glyph_(loadGlyph(params.glyphResource)) {
    registerOwnClass(GlyphButtonClass, CS_HREDRAW | CS_VREDRAW);
    WindowCreation creation = childCreation(params, GlyphButtonClass, 0);
    creation.ownClass = true;
    createWindow(params, creation);
    if (params.visible) showWindow(true);
  }

  // It never takes the focus, not even when asked.
  void setFocus() override {}

  LRESULT message(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(hwnd(), &paint);
        draw(dc);
        EndPaint(hwnd(), &paint);
        return 0;
      }
      case WM_PRINTCLIENT: draw(reinterpret_cast<HDC>(wParam)); return 0;
      case WM_ERASEBKGND: return 1;
      case WM_ENABLE: InvalidateRect(hwnd(), nullptr, FALSE); break;
      case WM_LBUTTONDOWN:
        SetCapture(hwnd());
        held_ = true;
        setPressed(true);
        return 0;
      case WM_MOUSEMOVE:
        if (held_) setPressed(inside(lParam));
        return 0;
      case WM_LBUTTONUP:
        if (held_) {
          held_ = false;
          const bool click = inside(lParam);
          setPressed(false);
          ReleaseCapture();
          if (click) events().onEvent(Click{});
        }
        return 0;
      case WM_CAPTURECHANGED:
      case WM_CANCELMODE:
        held_ = false;
        setPressed(false);
        break;
      default: break;
    }
    return Win32Window::message(message, wParam, lParam);
  }

 private:
  bool inside(LPARAM lParam) const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    return PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE;
  }

  void setPressed(bool pressed) {
    if (pressed == pressed_) return;
    pressed_ = pressed;
    InvalidateRect(hwnd(), nullptr, FALSE);
  }

  void draw(HDC dc) const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &client, pressed_ ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    if (glyph_.pixels.empty()) return;
    // The picture is put together on the face colour and drawn in one go:
    // silver shows the face, and a disabled glyph is an embossed shadow. It
    // grows with the window's DPI, each pixel taken from the nearest one of
    // the bitmap.
    const bool enabled = IsWindowEnabled(hwnd()) != FALSE;
    const int dpi = windowDpi(hwnd());
    const int glyphWidth = MulDiv(glyph_.width, dpi, DesignDpi);
    const int glyphHeight = MulDiv(glyph_.height, dpi, DesignDpi);
    const int width = glyphWidth + 1;
    const int height = glyphHeight + 1;
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(width) * height, pixelOf(face));
    const std::uint32_t light = pixelOf(GetSysColor(COLOR_BTNHIGHLIGHT));
    const std::uint32_t shadow = pixelOf(GetSysColor(COLOR_BTNSHADOW));
    for (int pass = enabled ? 1 : 0; pass < 2; ++pass) {
      const int shift = pass == 0 ? 1 : 0;
      for (int y = 0; y < glyphHeight; ++y) {
        for (int x = 0; x < glyphWidth; ++x) {
          const std::uint32_t pixel =
              glyph_
                  .pixels[static_cast<std::size_t>(y * glyph_.height / glyphHeight) * glyph_.width +
                          static_cast<std::size_t>(x * glyph_.width / glyphWidth)];
          if (pixel == pixelOf(Silver)) continue;
          picture[static_cast<std::size_t>(y + shift) * width + x + shift] =
              enabled ? pixel : (pass == 0 ? light : shadow);
        }
      }
    }
    BITMAPINFO format = pixelFormat(width, height);
    const int offset = pressed_ ? 1 : 0;
    const int left = (client.right - glyphWidth) / 2 + offset;
    const int top = (client.bottom - glyphHeight) / 2 + offset;
    SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), picture.data(), &format, DIB_RGB_COLORS);
  }

  Glyph glyph_;
  bool held_ = false;
  bool pressed_ = false;
};

}  // namespace

std::unique_ptr<ButtonPeer> Win32Platform::createButton(const ButtonParams& params,
                                                        WindowEvents& events) {
  return std::make_unique<ButtonWindow>(params, events);
}

std::unique_ptr<WindowPeer> Win32Platform::createGlyphButton(const GlyphButtonParams& params,
                                                             WindowEvents& events) {
  return std::make_unique<GlyphButtonWindow>(params, events);
}

std::unique_ptr<WindowPeer> Win32Platform::createLabel(const LabelParams& params,
                                                       WindowEvents& events) {
  return std::make_unique<LabelWindow>(params, events);
}

std::unique_ptr<WindowPeer> Win32Platform::createIcon(const IconParams& params,
                                                      WindowEvents& events) {
  return std::make_unique<IconWindow>(params, events);
}

std::unique_ptr<EditPeer> Win32Platform::createEdit(const EditParams& params,
                                                    WindowEvents& events) {
  return std::make_unique<EditWindow>(params, events);
}

}  // namespace velmora::platform::win32
