#pragma once

#include <windows.h>

#include <cstdint>

#include "support/wide_string.h"

// Turns an existing static control into a link: underlined text in the link colour, the hand
// cursor and a tooltip over it, the target opened with the shell on a click or Enter/Space, the
// visited colour afterwards. It takes the window over by replacing its procedure and hands every
// message it does not handle to the previous one, which it puts back when the window goes.
class HyperLinkControl {
public:
    // Extended style bits.
    static constexpr uint32_t kNotUnderlined = 0x001;
    static constexpr uint32_t kHover = 0x002;
    static constexpr uint32_t kCommandButton = 0x004;
    static constexpr uint32_t kNotifyButton = 0x00C;
    static constexpr uint32_t kLabelMarkup = 0x010;
    static constexpr uint32_t kMarkupBold = 0x030;
    static constexpr uint32_t kNoTooltip = 0x040;
    static constexpr uint32_t kAlwaysRebuildFont = 0x080;
    static constexpr uint32_t kSingleLine = 0x100;

    HyperLinkControl() = default;
    ~HyperLinkControl();
    HyperLinkControl(const HyperLinkControl&) = delete;
    HyperLinkControl& operator=(const HyperLinkControl&) = delete;

    // Binds the control to the window and initialises it. false when the window procedure
    // cannot be replaced.
    bool TakeOver(HWND window);
    // The link's target; its tooltip follows.
    void SetTarget(const WideString& text);
    // Opens the target with the shell (or tells the parent, in the button styles); true on
    // success, which makes the link visited.
    bool Follow();

    // Before TakeOver: the font of the plain text (not owned), colours and style.
    HFONT normalFont = nullptr;
    COLORREF linkColour = RGB(0, 0, 255);
    COLORREF visitedColour = RGB(128, 0, 128);
    uint32_t extendedStyle = 0;
    WideString label;
    WideString target;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT PassOn(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialise();
    void CreateLinkFont();
    void ComputeLinkRectangle();
    void Paint(HDC given);
    void ReadBrowserColours();
    bool Has(uint32_t bits) const { return (extendedStyle & bits) == bits; }
    bool Active() const { return !target.IsEmpty() || Has(kCommandButton); }
    bool OverLink(LPARAM position) const;
    UINT DrawFlags() const;
    const WideString& Text() const { return label.IsEmpty() ? target : label; }
    void RegisterTooltip();

    HWND window = nullptr;
    WNDPROC previous = nullptr;
    RECT linkRectangle{};
    HCURSOR handCursor = nullptr;
    HFONT linkFont = nullptr;
    HWND tooltip = nullptr;
    bool paintLabel = true;
    bool visited = false;
    bool hover = false;
    bool ownsLinkFont = false;
    bool ownsNormalFont = false;
};
