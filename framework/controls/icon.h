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

    // Called with the icon as sender after the handle changed.
    TNotifyEvent OnChange;

    void Destroy() override;

private:
    void Release();
    HICON handle_ = nullptr;
    bool owned_ = false;
};
