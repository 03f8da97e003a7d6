#include "framework/controls/mouse.h"

#include "runtime/typeinfo.h"

constinit const TClass TMouse::ClassInfo = MakeClass<TMouse>("TMouse", &TObject::ClassInfo);

TMouse* TheMouse = nullptr;

TMouse::TMouse() {
    ReadSettings();
}

void TMouse::SettingChanged(WPARAM) {
    ReadSettings();
}

void TMouse::ReadSettings() {
    FMousePresent = GetSystemMetrics(SM_MOUSEPRESENT) != 0;
    FWheelPresent = GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0;
}
