#include "ui/hyperlink_control_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "ui/missing_runtime_rules.h"
#include "support/handles_win.h"
#include "support/wide_win.h"

namespace {
// The window property through which the shared window procedure finds its control.
constexpr wchar_t kControlProperty[] = L"QuorvaneHyperLink";

void ReleaseFont(HFONT& font, bool& owned) {
    if (owned && font) DeleteObject(font);
    font = nullptr;
    owned = false;
}

int Length(const WideString& text) { return text.Length(); }
}  // namespace

HyperLinkControl::~HyperLinkControl() {
    if (window) {
        // Still bound: the window outlives this object, so it gets its own procedure back.
        if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(Procedure))
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(window, kControlProperty);
        if (tooltip) DestroyWindow(tooltip);
    }
    ReleaseFont(linkFont, ownsLinkFont);
    ReleaseFont(normalFont, ownsNormalFont);
}

bool HyperLinkControl::TakeOver(HWND control) {
    if (!control || !SetPropW(control, kControlProperty, this)) return false;
    window = control;
    previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
    if (!previous) {
        RemovePropW(window, kControlProperty);
        window = nullptr;
        return false;
    }
    Initialise();
    return true;
}

void HyperLinkControl::Initialise() {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (CompareStringOrdinal(className, -1, L"static", -1, TRUE) == CSTR_EQUAL) {
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        // Statics get mouse input only with SS_NOTIFY.
        if (!(style & SS_NOTIFY)) SetWindowLongPtrW(window, GWL_STYLE, style | SS_NOTIFY);
        // Icons, frames, owner-drawn, bitmap and metafile statics keep their own painting.
        const LONG_PTR type = style & 0xFF;
        if ((type >= 3 && type <= 9) || (type >= 13 && type <= 15)) paintLabel = false;
    }
    handCursor = LoadCursorW(nullptr, IDC_HAND);
    if (paintLabel) {
        if (!normalFont) {
            LOGFONTW iconTitle{};
            if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0)) {
                normalFont = CreateFontIndirectW(&iconTitle);
                ownsNormalFont = normalFont != nullptr;
            }
        }
        if (!linkFont) CreateLinkFont();
    }
    tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (label.IsEmpty()) {
        const int length = GetWindowTextLengthW(window);
        if (length > 0) {
            WideString text;
            const int copied = GetWindowTextW(window, W(text.Buffer(length + 1)), length + 1);
            label = text.Left(copied);
        }
    }
    ComputeLinkRectangle();
    if (Active()) {
        RegisterTooltip();
    } else if (!label.IsEmpty()) {
        SetTarget(label);
    }
    if (paintLabel) ReadBrowserColours();
}

void HyperLinkControl::CreateLinkFont() {
    ReleaseFont(linkFont, ownsLinkFont);
    LOGFONTW logical{};
    GetObjectW(normalFont ? static_cast<HGDIOBJ>(normalFont) : GetStockObject(SYSTEM_FONT),
               sizeof logical, &logical);
    if (Has(kMarkupBold)) {
        logical.lfWeight = FW_BOLD;
    } else if (!Has(kNotUnderlined)) {
        logical.lfUnderline = TRUE;
    }
    linkFont = CreateFontIndirectW(&logical);
    ownsLinkFont = linkFont != nullptr;
}

UINT HyperLinkControl::DrawFlags() const {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK;
    UINT flags = Has(kSingleLine) ? DT_SINGLELINE : DT_WORDBREAK;
    if (style == SS_CENTER) flags |= DT_CENTER;
    if (style == SS_RIGHT) flags |= DT_RIGHT;
    // An address may hold "&", which must not become an underlined mnemonic.
    return flags | DT_NOPREFIX;
}

void HyperLinkControl::ComputeLinkRectangle() {
    if (!window || Text().IsEmpty()) return;
    RECT client;
    GetClientRect(window, &client);
    linkRectangle = client;
    if (!paintLabel) return;
    HDC dc = GetDC(window);
    if (!dc) return;
    const HGDIOBJ original = SelectObject(dc, linkFont ? linkFont : normalFont);
    const UINT flags = DrawFlags();
    if (!Has(kLabelMarkup)) {
        RECT measured = client;
        DrawTextW(dc, W(Text()), Length(Text()), &measured, (flags & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT);
        const LONG freeWidth = (client.right - client.left) - (measured.right - measured.left);
        if (flags & DT_CENTER) OffsetRect(&measured, freeWidth / 2, 0);
        if (flags & DT_RIGHT) OffsetRect(&measured, freeWidth, 0);
        linkRectangle = measured;
    } else {
        const LinkParts parts = SplitLinkMarkup(Text());
        RECT before = client;
        before.right = before.left;
        if (!parts.before.IsEmpty()) {
            SelectObject(dc, normalFont);
            DrawTextW(dc, W(parts.before), Length(parts.before), &before, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        }
        RECT link = client;
        link.left = before.right;
        SelectObject(dc, linkFont ? linkFont : normalFont);
        DrawTextW(dc, W(parts.link), Length(parts.link), &link, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        linkRectangle = link;
    }
    SelectObject(dc, original);
    ReleaseDC(window, dc);
}

void HyperLinkControl::RegisterTooltip() {
    if (!tooltip) return;
    SendMessageW(tooltip, TTM_ACTIVATE, TRUE, 0);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uId = 1;
    tool.rect = linkRectangle;
    tool.lpszText = const_cast<wchar_t*>(W(target));
    SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void HyperLinkControl::SetTarget(const WideString& text) {
    target = text;
    if (label.IsEmpty()) ComputeLinkRectangle();
    RegisterTooltip();
}

void HyperLinkControl::ReadBrowserColours() {
    // Read access only: a key that may not be written (a policy) must still give its colours.
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0,
                      KEY_READ, key.put()) != ERROR_SUCCESS) {
        key.release();
        return;
    }
    const auto read = [&](const wchar_t* name, COLORREF& colour) {
        char16_t data[12] = {};
        DWORD type = 0;
        DWORD bytes = sizeof data;
        if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data),
                             &bytes) != ERROR_SUCCESS)
            return;
        uint32_t parsed = 0;
        if (ParseLinkColour(data, bytes, type == REG_SZ || type == REG_EXPAND_SZ, parsed))
            colour = parsed;
    };
    read(L"Anchor Color", linkColour);
    read(L"Anchor Color Visited", visitedColour);
}

void HyperLinkControl::Paint(HDC given) {
    PAINTSTRUCT paint;
    HDC dc = given ? given : BeginPaint(window, &paint);
    if (!dc) return;
    RECT client;
    GetClientRect(window, &client);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(window)));
    if (brush) FillRect(dc, &client, brush);
    SetBkMode(dc, TRANSPARENT);
    const COLORREF colour = !IsWindowEnabled(window) ? GetSysColor(COLOR_GRAYTEXT)
                            : visited                ? visitedColour
                                                     : linkColour;
    const HFONT font = (!linkFont || (Has(kHover) && !hover)) ? normalFont : linkFont;
    const HGDIOBJ original = SelectObject(dc, font);
    if (!Has(kLabelMarkup)) {
        SetTextColor(dc, colour);
        RECT area = linkRectangle;
        DrawTextW(dc, W(Text()), Length(Text()), &area, DrawFlags() & ~(DT_CENTER | DT_RIGHT));
    } else {
        const LinkParts parts = SplitLinkMarkup(Text());
        const UINT flags = DT_SINGLELINE | DT_NOPREFIX;
        SelectObject(dc, normalFont);
        SetTextColor(dc, IsWindowEnabled(window) ? GetSysColor(COLOR_WINDOWTEXT) : colour);
        RECT before = client;
        DrawTextW(dc, W(parts.before), Length(parts.before), &before, flags);
        RECT after = client;
        after.left = linkRectangle.right;
        DrawTextW(dc, W(parts.after), Length(parts.after), &after, flags);
        SelectObject(dc, font);
        SetTextColor(dc, colour);
        RECT link = linkRectangle;
        DrawTextW(dc, W(parts.link), Length(parts.link), &link, flags);
    }
    if (GetFocus() == window) DrawFocusRect(dc, &linkRectangle);
    SelectObject(dc, original);
    if (!given) EndPaint(window, &paint);
}

bool HyperLinkControl::Follow() {
    const HWND parent = GetParent(window);
    const int id = GetDlgCtrlID(window);
    if (Has(kNotifyButton)) {
        NMHDR notice{window, static_cast<UINT_PTR>(id), static_cast<UINT>(NM_CLICK)};
        SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&notice));
        return true;
    }
    if (Has(kCommandButton)) {
        SendMessageW(parent, WM_COMMAND, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(window));
        return true;
    }
    const auto opened = reinterpret_cast<INT_PTR>(
        ShellExecuteW(parent, L"open", W(target), nullptr, nullptr, SW_SHOWNORMAL));
    if (opened <= 32) return false;
    visited = true;
    InvalidateRect(window, nullptr, TRUE);
    return true;
}

bool HyperLinkControl::OverLink(LPARAM position) const {
    const POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    return PtInRect(&linkRectangle, point) != FALSE;
}

LRESULT HyperLinkControl::PassOn(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK HyperLinkControl::Procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* control = static_cast<HyperLinkControl*>(GetPropW(window, kControlProperty));
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    return control->Handle(message, wParam, lParam);
}

LRESULT HyperLinkControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && tooltip && !Has(kNoTooltip)) {
        MSG relayed{window, message, wParam, lParam, 0, {0, 0}};
        SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
        case WM_CREATE:
            Initialise();
            break;
        case WM_MOUSEMOVE:
            if (OverLink(lParam) && Active()) {
                SetCursor(handCursor);
                if (Has(kHover) && !hover) {
                    hover = true;
                    InvalidateRect(window, &linkRectangle, FALSE);
                    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, window, 0};
                    TrackMouseEvent(&leave);
                }
                return 0;
            }
            if (Has(kHover) && hover) {
                hover = false;
                InvalidateRect(window, &linkRectangle, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            if (Has(kHover) && hover) {
                hover = false;
                InvalidateRect(window, &linkRectangle, FALSE);
            }
            return 0;
        case WM_SETCURSOR: {
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(window, &point);
            if (PtInRect(&linkRectangle, point) && Active()) {
                SetCursor(handCursor);
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN:
            if (OverLink(lParam)) {
                SetFocus(window);
                SetCapture(window);
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (GetCapture() == window) {
                ReleaseCapture();
                if (OverLink(lParam)) Follow();
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == 13 || wParam == 32) {
                Follow();
                return 0;
            }
            break;
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (paintLabel) InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            if (!paintLabel) break;
            Paint(message == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wParam) : nullptr);
            return 0;
        case WM_ERASEBKGND:
            return TRUE;
        case WM_SIZE:
            ComputeLinkRectangle();
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_ENABLE:
            InvalidateRect(window, nullptr, TRUE);
            UpdateWindow(window);
            return 0;
        case WM_SETFONT:
            ReleaseFont(normalFont, ownsNormalFont);
            normalFont = reinterpret_cast<HFONT>(wParam);
            if (ownsLinkFont || Has(kAlwaysRebuildFont)) CreateLinkFont();
            ComputeLinkRectangle();
            if (LOWORD(lParam)) {
                InvalidateRect(window, nullptr, TRUE);
                UpdateWindow(window);
            }
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(normalFont);
        case WM_DESTROY:
            if (tooltip) DestroyWindow(tooltip);
            tooltip = nullptr;
            ReleaseFont(linkFont, ownsLinkFont);
            ReleaseFont(normalFont, ownsNormalFont);
            break;
        case WM_NCDESTROY: {
            const HWND destroyed = window;
            const WNDPROC original = previous;
            const LRESULT result = PassOn(message, wParam, lParam);
            if (GetWindowLongPtrW(destroyed, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(Procedure))
                SetWindowLongPtrW(destroyed, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            RemovePropW(destroyed, kControlProperty);
            window = nullptr;
            return result;
        }
        default:
            break;
    }
    return PassOn(message, wParam, lParam);
}
