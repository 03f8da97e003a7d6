// TIcon: an icon handle with a change notification.
#pragma once

#include "framework/classes/persistent.h"
#include "platform/win32.h"

class TIcon : public TPersistent {
public:
    DECLARE_CLASS_INFO()

    HICON Handle() const { return FHandle; }
    bool Empty() const { return FHandle == nullptr; }
    // Takes a new handle and notifies OnChange. An owned handle is destroyed
    // with DestroyIcon when it is replaced or the icon is destroyed; a shared
    // one (LoadIconA's) is only forgotten.
    void SetHandle(HICON handle, bool owned = false);

    // The size the icon is wanted in (a form's icon: the small-icon metrics).
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetSize(int width, int height) {
        FWidth = width;
        FHeight = height;
    }

    // Called with the icon as sender after the handle changed.
    TNotifyEvent OnChange;

    void Destroy() override;

private:
    void Release();
    HICON FHandle = nullptr;
    bool FOwned = false;
    int FWidth = 0, FHeight = 0;
};
