// TControl: a component with a place on a parent window, a size, a caption,
// a hint and a visibility; TWinControl adds a window of its own, made on
// first need; TScrollingWinControl is the base of forms.
#pragma once

#include "framework/classes/component.h"
#include "framework/controls/messages.h"

#include <cstdint>
#include <string>

class TWinControl;

// Members of the control flag set, as bit values.
enum TControlFlag : uint16_t {
    cfReadingDescription = 1u << 0,  // the reader applies this control's own properties
};
using TControlFlags = uint16_t;

class TControl : public TComponent {
public:
    DECLARE_CLASS_INFO()

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    // Moves and sizes the control (and its window, when it has one).
    virtual void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    const std::string& Caption() const { return caption_; }
    virtual void SetCaption(const std::string& caption);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }

    TControlFlags ControlFlags() const { return controlFlags_; }
    void IncludeControlFlags(TControlFlags flags) { controlFlags_ |= flags; }
    void ExcludeControlFlags(TControlFlags flags) {
        controlFlags_ &= static_cast<TControlFlags>(~flags);
    }
    bool IsDesigning() const { return HasState(lsDesignTime); }

    // Hands the control a message as its window procedure would, and returns
    // the result.
    LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);
    // The control's message handling; the default handles nothing (result 0).
    virtual void HandleMessage(TMessage& message);

    // Leaves the parent before the owned components go.
    void Destroy() override;

protected:
    // Called after Visible changed.
    virtual void VisibleChanged() {}
    // Called after the bounds changed.
    virtual void BoundsChanged() {}

private:
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    std::string hint_;
    TControlFlags controlFlags_ = 0;
};

// The long part of a hint: the text after the first "|", or the whole hint.
std::string LongHintOf(const std::string& hint);

// What a window is made from: the window creation record.
struct TWindowParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND Owner = nullptr;  // parent or owner window
    LPVOID Param = nullptr;
    WNDCLASSA WindowClass{};
    std::string ClassName;
};

class TWinControl : public TControl {
public:
    DECLARE_CLASS_INFO()

    // The control's window, made on first need.
    HWND Handle();
    bool HandleAllocated() const { return window_ != nullptr; }
    // Makes the window when it does not exist yet.
    void HandleNeeded();
    // Removes the window (it is made again on the next need).
    void DestroyHandle();

    // A window that is not a framework control, given as parent.
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND window) { parentWindow_ = window; }

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
    // Makes the window: fills the record, registers the class with the
    // framework's window procedure, OpenWindowHandle, and raises the last
    // Win32 error when no window was made.
    virtual void BuildWindow();
    // Creates the window from the record (CreateWindowExA).
    virtual void OpenWindowHandle(const TWindowParams& params);
    // Removes the window (DestroyWindow), raising the last Win32 error when it fails.
    virtual void DropWindowHandle();
    // What the window procedure does with a message no handler took.
    virtual void DefaultHandler(TMessage& message);
    void VisibleChanged() override;

    // The window of this control, set while the window is made.
    void AdoptWindow(HWND window);
    HWND Window() const { return window_; }

private:
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    HWND parentWindow_ = nullptr;
    WNDPROC defaultProc_ = &DefWindowProcA;
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
