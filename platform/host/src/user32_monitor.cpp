// user32: the machine's monitors (HOSTWIN_MONITORS) and the system parameters
// the program asks for. The work area of a monitor is the whole monitor: the
// host has no taskbar, as Wine on a bare X server has none.
#include "hostwin/windows.h"

#include "machine.h"
#include "window_manager.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace hostwin;

namespace {

constexpr uintptr_t kFirstMonitorHandle = 0x10001;

const std::vector<RECT>& Monitors() {
    return TheMachine().monitors;
}

HMONITOR HandleOf(size_t index) {
    return reinterpret_cast<HMONITOR>(kFirstMonitorHandle + index);
}

// The index of a monitor handle, or -1.
long IndexOf(HMONITOR monitor) {
    uintptr_t value = reinterpret_cast<uintptr_t>(monitor);
    if (value < kFirstMonitorHandle || value - kFirstMonitorHandle >= Monitors().size()) return -1;
    return static_cast<long>(value - kFirstMonitorHandle);
}

// A rectangle whose edges may lie one past the range of LONG (the pixel of
// an empty rectangle at the end of the range).
struct Area {
    long long left, top, right, bottom;
};

long long Overlap(const Area& a, const RECT& b) {
    long long width = std::min<long long>(a.right, b.right) - std::max<long long>(a.left, b.left);
    long long height = std::min<long long>(a.bottom, b.bottom) - std::max<long long>(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

long long DistanceSquared(const Area& a, const RECT& b) {
    long long dx = std::max<long long>({0, b.left - a.right + 1, a.left - b.right + 1});
    long long dy = std::max<long long>({0, b.top - a.bottom + 1, a.top - b.bottom + 1});
    return dx * dx + dy * dy;
}

// The monitor holding most of a rectangle; an empty rectangle counts as its
// top-left pixel. Without overlap the flags decide: none, the primary or the
// nearest monitor.
HMONITOR MonitorOfRect(const RECT& given, DWORD flags) {
    Area rect{given.left, given.top, given.right, given.bottom};
    if (rect.right <= rect.left) rect.right = rect.left + 1;
    if (rect.bottom <= rect.top) rect.bottom = rect.top + 1;
    const std::vector<RECT>& monitors = Monitors();
    long long best = 0;
    size_t found = monitors.size();
    for (size_t i = 0; i < monitors.size(); ++i) {
        long long area = Overlap(rect, monitors[i]);
        if (area > best) {
            best = area;
            found = i;
        }
    }
    if (found < monitors.size()) return HandleOf(found);
    if (flags == MONITOR_DEFAULTTOPRIMARY) return HandleOf(0);
    if (flags != MONITOR_DEFAULTTONEAREST) return nullptr;
    long long nearest = LLONG_MAX;
    for (size_t i = 0; i < monitors.size(); ++i) {
        long long distance = DistanceSquared(rect, monitors[i]);
        if (distance < nearest) {
            nearest = distance;
            found = i;
        }
    }
    return HandleOf(found);
}

ANIMATIONINFO& Animation() {
    static ANIMATIONINFO animation{sizeof(ANIMATIONINFO), 1};
    return animation;
}

} // namespace

namespace hostwin {

RECT WorkAreaNear(const RECT& rect) {
    long index = IndexOf(MonitorOfRect(rect, MONITOR_DEFAULTTONEAREST));
    return Monitors()[static_cast<size_t>(std::max(index, 0L))];
}

} // namespace hostwin

extern "C" {

HMONITOR WINAPI MonitorFromRect(LPCRECT rect, DWORD flags) {
    if (!rect) return flags ? HandleOf(0) : nullptr;
    return MonitorOfRect(*rect, flags);
}

HMONITOR WINAPI MonitorFromPoint(POINT point, DWORD flags) {
    // An empty rectangle counts as its top-left pixel.
    return MonitorOfRect(RECT{point.x, point.y, point.x, point.y}, flags);
}

HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD flags) {
    WindowPtr target = FindWindowObject(window);
    // No window: the primary monitor when a default is asked for.
    if (!target) return flags ? HandleOf(0) : nullptr;
    // A minimised window counts where it would be restored.
    RECT rect = (target->style & WS_MINIMIZE) && IsTopLevel(*target) ? target->normalRect
                                                                     : ScreenRect(*target);
    return MonitorOfRect(rect, flags);
}

BOOL WINAPI GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
    long index = IndexOf(monitor);
    if (index < 0) {
        SetLastError(ERROR_INVALID_MONITOR_HANDLE);
        return FALSE;
    }
    if (!info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXA))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RECT& rect = Monitors()[static_cast<size_t>(index)];
    info->rcMonitor = rect;
    info->rcWork = rect;
    info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
    if (info->cbSize == sizeof(MONITORINFOEXA)) {
        auto* extended = reinterpret_cast<LPMONITORINFOEXA>(info);
        std::memset(extended->szDevice, 0, sizeof(extended->szDevice));
        std::string name = "\\\\.\\DISPLAY" + std::to_string(index + 1);
        std::memcpy(extended->szDevice, name.data(), name.size());
    }
    return TRUE;
}

BOOL WINAPI EnumDisplayMonitors(HDC, LPCRECT clip, MONITORENUMPROC callback, LPARAM param) {
    if (!callback) return FALSE;
    const std::vector<RECT>& monitors = Monitors();
    for (size_t i = 0; i < monitors.size(); ++i) {
        RECT rect = monitors[i];
        if (clip) {
            rect = RECT{std::max(rect.left, clip->left), std::max(rect.top, clip->top),
                        std::min(rect.right, clip->right), std::min(rect.bottom, clip->bottom)};
            if (rect.right <= rect.left || rect.bottom <= rect.top) continue;
        }
        if (!callback(HandleOf(i), nullptr, &rect, param)) break;
    }
    return TRUE;
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT param, PVOID data, UINT) {
    switch (action) {
    case SPI_GETWORKAREA:
        if (!data) break;
        *static_cast<RECT*>(data) = Monitors().front();
        return TRUE;
    case SPI_GETANIMATION:
    case SPI_SETANIMATION: {
        // The setting lasts as long as the process.
        auto* info = static_cast<ANIMATIONINFO*>(data);
        if (!info || info->cbSize != sizeof(ANIMATIONINFO) || param != sizeof(ANIMATIONINFO)) break;
        if (action == SPI_GETANIMATION)
            info->iMinAnimate = Animation().iMinAnimate;
        else
            Animation().iMinAnimate = info->iMinAnimate ? 1 : 0;
        return TRUE;
    }
    default:
        SetLastError(ERROR_INVALID_SPI_VALUE);
        return FALSE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

} // extern "C"
