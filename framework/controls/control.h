// TControl: a component with a place on a parent window, a size, a caption,
// a colour, a font, a hint and a visibility; TWinControl adds a window of its
// own, made on first need, and the controls placed on it;
// TScrollingWinControl is the base of forms.
#pragma once

#include "framework/classes/component.h"
#include "framework/controls/font.h"
#include "framework/controls/graphics.h"
#include "framework/controls/messages.h"

#include <cstdint>
#include <string>
#include <vector>

class TWinControl;

// Members of the control flag set, as bit values.
enum TControlFlag : uint16_t {
    cfReadingDescription = 1u << 0, // the reader applies this control's own properties
};
using TControlFlags = uint16_t;

// Members of the rescale marks, as bit values: which of the control's values
// were set (by a description) and follow a change of scale.
enum TRescaleMark : uint8_t {
    rmLeft = 1u << 0,
    rmTop = 1u << 1,
    rmWidth = 1u << 2,
    rmHeight = 1u << 3,
    rmFont = 1u << 4,
};
using TRescaleMarks = uint8_t;

class TControl : public TComponent {
public:
    DECLARE_CLASS_INFO()

    // Makes the control's font.
    void Create(TComponent* owner) override;

    TWinControl* Parent() const { return FParent; }
    // Moves the control onto another parent's list of controls.
    virtual void SetParent(TWinControl* parent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // The property setters: each marks its value for rescaling.
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    // Moves and sizes the control (and its window, when it has one).
    virtual void SetBounds(int left, int top, int width, int height);

    // The client area's size: the control's own size unless it has a frame.
    virtual int ClientWidth() { return FWidth; }
    virtual int ClientHeight() { return FHeight; }
    // Sizes the control so that its client area gets the width / the height.
    void SizeClientWidth(int width);
    void SizeClientHeight(int height);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);
    const std::string& Caption() const { return FCaption; }
    virtual void SetCaption(const std::string& caption);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint) { FHint = hint; }
    TColor Color() const { return FColor; }
    void SetColor(TColor color) { FColor = color; }
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool ctl3D) { FCtl3D = ctl3D; }

    TFont* Font() const { return FFont; }
    // Takes the values of another font (the "Font" property's setter).
    void SetFont(TFont* font);
    // True: the control shows its parent's font (and follows it).
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool parentFont);
    // With ParentFont, takes the parent's font again (after it changed).
    void FollowParentFont();

    TControlFlags ControlFlags() const { return FControlFlags; }
    void IncludeControlFlags(TControlFlags flags) { FControlFlags |= flags; }
    void ExcludeControlFlags(TControlFlags flags) {
        FControlFlags &= static_cast<TControlFlags>(~flags);
    }
    bool IsDesigning() const { return HasState(lsDesignTime); }
    // True for a control that stands in a description as a plain control
    // (the custom value "IsControl"); forms then store no form values.
    bool IsControl() const { return FIsControl; }
    void SetIsControl(bool isControl) { FIsControl = isControl; }

    TRescaleMarks RescaleMarks() const { return FRescaleMarks; }
    void IncludeRescaleMarks(TRescaleMarks marks) { FRescaleMarks |= marks; }
    void ClearRescaleMarks() { FRescaleMarks = 0; }
    // Scales the marked values (position, size, a font of its own) by
    // multiplier / divisor, rounded to nearest, and clears the marks.
    virtual void ChangeScale(int multiplier, int divisor);

    // Hands the control a message as its window procedure would, and returns
    // the result.
    LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);
    // The control's message handling; the default handles nothing (result 0).
    virtual void HandleMessage(TMessage& message);

    // The reader applies the control's own properties with
    // cfReadingDescription set for that span.
    void ApplyDescription(TReader& reader) override;
    // A control read as a child joins the parent the reader gives it.
    void AttachToParent(TComponent* parent) override;
    // "IsControl", after the component's own values.
    void DeclareExtraProperties(TFiler& filer) override;

    // Leaves the parent before the owned components go.
    void Destroy() override;

protected:
    // Called after Visible changed.
    virtual void VisibleChanged() {}
    // Called after the bounds changed.
    virtual void BoundsChanged() {}
    // Called after the font changed.
    virtual void FontChanged() {}
    // Sets the visibility field alone (to undo a refused change).
    void RestoreVisibleField(bool visible) { FVisible = visible; }

private:
    void FontNotification(TObject* sender);

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    bool FCtl3D = true;
    bool FParentFont = true;
    bool FAdoptingFont = false;
    bool FIsControl = false;
    std::string FCaption;
    std::string FHint;
    TColor FColor = static_cast<TColor>(0x80000005); // clWindow
    TFont* FFont = nullptr;
    int32_t FFontHeightSeen = TFont::DefaultHeight;
    TControlFlags FControlFlags = 0;
    TRescaleMarks FRescaleMarks = 0;
};

// The long part of a hint: the text after the first "|", or the whole hint.
std::string LongHintOf(const std::string& hint);

// What a window is made from: the window creation record.
struct TWindowParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND Owner = nullptr; // parent or owner window
    LPVOID Param = nullptr;
    WNDCLASSA WindowClass{};
    std::string ClassName;
};

class TWinControl : public TControl {
public:
    DECLARE_CLASS_INFO()

    // The control's window, made on first need.
    HWND Handle();
    bool HandleAllocated() const { return FWindow != nullptr; }
    // Makes the window when it does not exist yet.
    void HandleNeeded();
    // Removes the window (it is made again on the next need).
    void DestroyHandle();

    // A window that is not a framework control, given as parent.
    HWND ParentWindow() const { return FParentWindow; }
    void SetParentWindow(HWND window) { FParentWindow = window; }

    // The controls placed on this one, in the order they were placed.
    // A control joins and leaves the list through its SetParent.
    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const { return FControls[static_cast<size_t>(index)]; }

    // Scales the controls placed on this one (their marked values).
    void ScaleControls(int multiplier, int divisor);
    void ChangeScale(int multiplier, int divisor) override;

    int ClientWidth() override;
    int ClientHeight() override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetEnabled(bool enabled) override;
    void SetCaption(const std::string& caption) override;
    void HandleMessage(TMessage& message) override;
    void Destroy() override;

protected:
    // Fills the record the window is made from. The control layer gives a
    // child window with the control's caption and bounds and a class named
    // after the control's class.
    virtual void FillWindowParams(TWindowParams& params);
    // The style and extended style the window has or would have, for the
    // size of its frame; by default those FillWindowParams gives.
    virtual void FrameStyles(DWORD& style, DWORD& exStyle);
    // Makes the window: fills the record, registers the class with the
    // framework's window procedure, OpenWindowHandle, raises the last Win32
    // error when no window was made, and gives the window the control's font.
    virtual void BuildWindow();
    // Fills the client area with the control's colour (WM_ERASEBKGND).
    void EraseBackground(HDC dc);
    // Creates the window from the record (CreateWindowExA).
    virtual void OpenWindowHandle(const TWindowParams& params);
    // Removes the window (DestroyWindow), raising the last Win32 error when it fails.
    virtual void DropWindowHandle();
    // What the window procedure does with a message no handler took.
    virtual void DefaultHandler(TMessage& message);
    void VisibleChanged() override;
    void FontChanged() override;

    // The window of this control, set while the window is made.
    void AdoptWindow(HWND window);
    // Forgets the window (after it was destroyed by other means).
    void ForgetWindow();
    // Takes the window's place and size as the control's bounds (after
    // Windows moved or sized it); a minimised window keeps the bounds.
    void ReadBoundsFromWindow();
    HWND Window() const { return FWindow; }

private:
    friend class TControl;
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // The width and height the frame adds to the client area.
    SIZE FrameExtent();

    HWND FWindow = nullptr;
    HWND FParentWindow = nullptr;
    WNDPROC FDefaultProc = &DefWindowProcA;
    std::vector<TControl*> FControls;
};

// The window procedure of every framework control's window class: hands the
// message to the control that owns the window and catches every exception.
LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The framework control that owns a window, or null.
TWinControl* FindControl(HWND window);

// The framework control nearest to the window: the window's own control, else
// that of its closest ancestor (GetParent chain); null when none owns any.
TWinControl* FindEnclosingControl(HWND window);

// The framework control whose window lies under the screen point, disabled
// controls included; null when it is no framework window or the control is
// in design state.
TControl* FindControlAtPoint(POINT point);

// Switch of the framework's focus notifications: off while the application
// lets the primary form carry out a system command. Process-wide.
extern bool FocusNotificationsEnabled;

class TScrollingWinControl : public TWinControl {
public:
    DECLARE_CLASS_INFO()
};

extern const TTypeInfo TypeControlObject;
extern const TTypeInfo TypeWinControlObject;
