#include "machine.h"

#include "ascii.h"
#include "codepage.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <sys/stat.h>

namespace hostwin {
namespace {

const char* Env(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

void MakeDirectories(const std::string& path) {
    std::string partial;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) {
            partial = path.substr(0, i);
            mkdir(partial.c_str(), 0777);
        }
    }
}

// The POSIX locale decides the Windows locale as Wine decides it.
bool PosixLocaleIsJapanese() {
    const char* locale = Env("LC_ALL");
    if (!locale) locale = Env("LC_CTYPE");
    if (!locale) locale = Env("LANG");
    return locale && std::strncmp(locale, "ja_JP", 5) == 0;
}

UINT CodePageOfLocale(LCID lcid) {
    return (lcid & 0xFFFF) == 0x0411 ? 932 : 1252;
}

bool ParseSize(std::string_view text, LONG& width, LONG& height) {
    unsigned w = 0, h = 0;
    char tail = 0;
    std::string copy(text);
    if (std::sscanf(copy.c_str(), "%ux%u%c", &w, &h, &tail) != 2 || w == 0 || h == 0) return false;
    width = static_cast<LONG>(w);
    height = static_cast<LONG>(h);
    return true;
}

// Reports an unusable setting once: the variable is then dropped from the
// environment, so that the programs this one starts take the same default
// without repeating the report.
void Warn(const char* variable, const char* value, const char* accepted) {
    std::fprintf(stderr, "hostwin: ignoring %s=%s: it takes %s\n", variable, value, accepted);
    unsetenv(variable);
}

// Locale names (as Windows names them, "ja-JP"; also "ja_JP") and their identifiers.
bool ParseLocaleName(std::string_view text, unsigned long& lcid) {
    static const struct {
        const char* name;
        unsigned long lcid;
    } names[] = {{"ja-jp", 0x0411}, {"en-us", 0x0409}, {"en-gb", 0x0809}, {"de-de", 0x0407},
                 {"fr-fr", 0x040C}, {"zh-cn", 0x0804}, {"zh-tw", 0x0404}, {"ko-kr", 0x0412}};
    std::string folded;
    for (char c : text)
        folded += c == '_' ? '-' : AsciiLower(c);
    for (const auto& entry : names)
        if (folded == entry.name) {
            lcid = entry.lcid;
            return true;
        }
    return false;
}

std::vector<RECT> ReadMonitors() {
    std::vector<RECT> monitors;
    if (const char* list = Env("HOSTWIN_MONITORS")) {
        std::string_view rest(list);
        while (!rest.empty()) {
            size_t end = rest.find(';');
            std::string item(rest.substr(0, end));
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (item.empty()) continue;
            int x = 0, y = 0;
            unsigned w = 0, h = 0;
            char tail = 0;
            if (std::sscanf(item.c_str(), "%d,%d,%ux%u%c", &x, &y, &w, &h, &tail) != 4 || !w ||
                !h) {
                Warn("HOSTWIN_MONITORS", list, "monitors X,Y,WIDTHxHEIGHT separated by ;");
                monitors.clear();
                break;
            }
            monitors.push_back(RECT{x, y, x + static_cast<LONG>(w), y + static_cast<LONG>(h)});
        }
    }
    if (monitors.empty()) {
        LONG width = 1024, height = 768;
        if (const char* screen = Env("HOSTWIN_SCREEN")) {
            if (!ParseSize(screen, width, height)) {
                Warn("HOSTWIN_SCREEN", screen, "WIDTHxHEIGHT, such as 1024x768");
                width = 1024;
                height = 768;
            }
        }
        monitors.push_back(RECT{0, 0, width, height});
    }
    return monitors;
}

ProcessKind ReadProcessKind() {
    const char* kind = Env("HOSTWIN_PROCESS");
    if (!kind) return ProcessKind::Win64;
    if (EqualIgnoringAsciiCase(kind, "win64")) return ProcessKind::Win64;
    if (EqualIgnoringAsciiCase(kind, "wow64")) return ProcessKind::Wow64;
    if (EqualIgnoringAsciiCase(kind, "win32")) return ProcessKind::Win32;
    Warn("HOSTWIN_PROCESS", kind,
         "win64 (a 64-bit program), wow64 (a 32-bit program on 64-bit Windows) or win32 "
         "(32-bit Windows)");
    return ProcessKind::Win64;
}

Machine LoadMachine() {
    Machine machine;
    const char* prefix = Env("HOSTWIN_PREFIX");
    if (prefix) {
        machine.prefix = prefix;
    } else {
        const char* home = Env("HOME");
        machine.prefix = std::string(home ? home : "/tmp") + "/.hostwin";
    }
    while (machine.prefix.size() > 1 && machine.prefix.back() == '/')
        machine.prefix.pop_back();
    struct stat info;
    bool created = stat(machine.prefix.c_str(), &info) != 0;
    MakeDirectories(machine.prefix + "/drive_c/windows/system32");
    // A default machine appears without being asked for: say where.
    if (created && !prefix)
        std::fprintf(stderr, "hostwin: HOSTWIN_PREFIX is not set; created the machine in %s\n",
                     machine.prefix.c_str());

    bool japanese = PosixLocaleIsJapanese();
    machine.userLcid = japanese ? 1041 : 1033;
    unsigned long number = 0;
    const char* lcid = Env("HOSTWIN_LCID");
    if (lcid) {
        if ((ParseMachineNumber(lcid, number) && number <= 0xFFFFFFFFul) ||
            ParseLocaleName(lcid, number))
            machine.userLcid = static_cast<LCID>(number);
        else
            Warn("HOSTWIN_LCID", lcid,
                 "a locale identifier in decimal or 0x hexadecimal (1041, 0x411) or a locale "
                 "name (ja-JP, en-US)");
    }
    machine.ansiCodePage = lcid ? CodePageOfLocale(machine.userLcid) : (japanese ? 932 : 1252);
    if (const char* acp = Env("HOSTWIN_ACP")) {
        if (ParseMachineNumber(acp, number) && (number == 932 || number == 1252))
            machine.ansiCodePage = static_cast<UINT>(number);
        else
            Warn("HOSTWIN_ACP", acp, "932 or 1252");
    }
    machine.oemCodePage = machine.ansiCodePage == 932 ? 932 : 437;

    if (const char* dpi = Env("HOSTWIN_DPI")) {
        if (ParseMachineNumber(dpi, number) && number >= 1 && number <= 1000)
            machine.dpi = static_cast<int>(number);
        else
            Warn("HOSTWIN_DPI", dpi, "a number of pixels per inch from 1 to 1000");
    }
    machine.monitors = ReadMonitors();
    machine.process = ReadProcessKind();
    return machine;
}

} // namespace

bool ParseMachineNumber(const char* text, unsigned long& value) {
    if (!text || !*text) return false;
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
        if (!*text) return false;
    }
    for (const char* p = text; *p; ++p)
        if (base == 10 ? (*p < '0' || *p > '9') : !std::isxdigit(static_cast<unsigned char>(*p)))
            return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoul(text, &end, base);
    return errno == 0 && end && *end == 0;
}

const Machine& TheMachine() {
    static const Machine machine = LoadMachine();
    return machine;
}

std::string DriveCPath() {
    return TheMachine().prefix + "/drive_c";
}

} // namespace hostwin
