#include "framework/controls/icon.h"

constinit const TClass TIcon::ClassInfo = MakeClass<TIcon>("TIcon", &TPersistent::ClassInfo);

void TIcon::SetHandle(HICON handle, bool owned) {
    if (handle == handle_) {
        owned_ = owned;
        return;
    }
    Release();
    handle_ = handle;
    owned_ = owned;
    if (OnChange.Assigned()) OnChange(this);
}

void TIcon::Release() {
    if (handle_ && owned_) DestroyIcon(handle_);
    handle_ = nullptr;
    owned_ = false;
}

void TIcon::Destroy() {
    Release();
    TPersistent::Destroy();
}
