#include "framework/controls/icon.h"

constinit const TClass TIcon::ClassInfo = MakeClass<TIcon>("TIcon", &TPersistent::ClassInfo);

void TIcon::SetHandle(HICON handle, bool owned) {
    if (handle == FHandle) {
        FOwned = owned;
        return;
    }
    Release();
    FHandle = handle;
    FOwned = owned;
    if (OnChange.Assigned()) OnChange(this);
}

void TIcon::Release() {
    if (FHandle && FOwned) DestroyIcon(FHandle);
    FHandle = nullptr;
    FOwned = false;
}

void TIcon::Destroy() {
    Release();
    TPersistent::Destroy();
}
