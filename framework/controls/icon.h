// TIcon: an icon handle with a change notification.
#pragma once

#include "framework/classes/persistent.h"
#include "platform/win32.h"

class TIcon : public TPersistent {
public:
    DECLARE_CLASS_INFO()

    HICON Handle() const { return handle_; }
    bool Empty() const { return handle_ == nullptr; }
    // Takes a new handle and notifies OnChange. An owned handle is destroyed
    // with DestroyIcon when it is replaced or the icon is destroyed; a shared
    // one (LoadIconA's) is only forgotten.
    void SetHandle(HICON handle, bool owned = false);

    // The size the icon is wanted in (a form's icon: the small-icon metrics).
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height) {
        width_ = width;
        height_ = height;
    }

    // Called with the icon as sender after the handle changed.
    TNotifyEvent OnChange;

    void Destroy() override;

private:
    void Release();
    HICON handle_ = nullptr;
    bool owned_ = false;
    int width_ = 0, height_ = 0;
};
