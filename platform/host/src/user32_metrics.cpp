// user32: system metrics of the host machine (screen from HOSTWIN_SCREEN or
// HOSTWIN_MONITORS, double-byte support from the ANSI code page).
#include "hostwin/windows.h"

#include "machine.h"

#include <algorithm>

using namespace hostwin;

extern "C" int WINAPI GetSystemMetrics(int index) {
    const Machine& machine = TheMachine();
    const RECT& primary = machine.monitors.front();
    auto scaled = [&](int value) { return MulDiv(value, machine.dpi, 96); };
    switch (index) {
    case SM_CXSCREEN:
        return primary.right - primary.left;
    case SM_CYSCREEN:
        return primary.bottom - primary.top;
    case SM_XVIRTUALSCREEN:
    case SM_YVIRTUALSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CYVIRTUALSCREEN: {
        RECT all = primary;
        for (const RECT& r : machine.monitors) {
            all.left = std::min(all.left, r.left);
            all.top = std::min(all.top, r.top);
            all.right = std::max(all.right, r.right);
            all.bottom = std::max(all.bottom, r.bottom);
        }
        if (index == SM_XVIRTUALSCREEN) return all.left;
        if (index == SM_YVIRTUALSCREEN) return all.top;
        if (index == SM_CXVIRTUALSCREEN) return all.right - all.left;
        return all.bottom - all.top;
    }
    case SM_CMONITORS:
        return static_cast<int>(machine.monitors.size());
    case SM_DBCSENABLED:
        return machine.ansiCodePage == 932 ? 1 : 0;
    case SM_MIDEASTENABLED:
        return 0;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return scaled(16);
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return scaled(32);
    case SM_CYCAPTION:
        return scaled(19);
    case SM_CYSMCAPTION:
        return scaled(16);
    case SM_CYMENU:
        return scaled(19);
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return scaled(17);
    case SM_CXMIN:
    case SM_CXMINTRACK:
        return scaled(112);
    case SM_CYMIN:
    case SM_CYMINTRACK:
        return scaled(27);
    case SM_CXMAXTRACK:
        return GetSystemMetrics(SM_CXVIRTUALSCREEN) + 2 * GetSystemMetrics(SM_CXFRAME);
    case SM_CYMAXTRACK:
        return GetSystemMetrics(SM_CYVIRTUALSCREEN) + 2 * GetSystemMetrics(SM_CYFRAME);
    case SM_CXMINIMIZED:
        return scaled(160);
    case SM_CYMINIMIZED:
        return scaled(24);
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_MOUSEPRESENT:
        return 1;
    case SM_CMOUSEBUTTONS:
        return 3;
    case SM_MOUSEWHEELPRESENT:
        return 1;
    case SM_CXFULLSCREEN:
        return primary.right - primary.left;
    case SM_CYFULLSCREEN:
        return primary.bottom - primary.top - scaled(19);
    case SM_CXMAXIMIZED:
        return primary.right - primary.left + 8;
    case SM_CYMAXIMIZED:
        return primary.bottom - primary.top + 8;
    default:
        return 0;
    }
}
