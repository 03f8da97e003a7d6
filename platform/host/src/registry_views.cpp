#include "registry_views.h"

#include "codepage.h"
#include "machine.h"

#include <span>

namespace hostwin::registry {
namespace {

using Path = std::vector<std::string>;

bool Same(const std::string& name, const char* wanted) {
    return EqualIgnoringAsciiCase(name, wanted);
}

// Whether path begins with the components of a key given as "A\B\C".
bool StartsWith(std::span<const std::string> path, std::string_view key) {
    size_t index = 0;
    while (!key.empty()) {
        size_t end = key.find('\\');
        std::string_view component = key.substr(0, end);
        if (index >= path.size() || !EqualIgnoringAsciiCase(path[index], component)) return false;
        ++index;
        key = end == std::string_view::npos ? std::string_view() : key.substr(end + 1);
    }
    return true;
}

// Keys below HKLM\SOFTWARE that both views share: those Windows documents as
// shared ("Registry Keys Affected by WOW64", Windows 7 and later) that Wine
// shares too. Everything below them is shared.
constexpr std::string_view kSharedKeys[] = {
    "Policies",
    "Microsoft\\Cryptography\\Services",
    "Microsoft\\OLE",
    "Microsoft\\RPC",
    "Microsoft\\SystemCertificates",
    "Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Microsoft\\Windows\\CurrentVersion\\Group Policy",
    "Microsoft\\Windows\\CurrentVersion\\Policies",
    "Microsoft\\Windows\\CurrentVersion\\Setup",
    "Microsoft\\Windows NT\\CurrentVersion\\Console",
    "Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
    "Microsoft\\Windows NT\\CurrentVersion\\Print",
    "Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
    "Microsoft\\Windows NT\\CurrentVersion\\Time Zones",
};

// SOFTWARE\Classes is shared but for these subkeys, which the 32-bit view
// keeps in SOFTWARE\Classes\WOW6432Node.
constexpr const char* kRedirectedClasses[] = {"CLSID", "DirectShow", "Interface", "Media Type",
                                              "MediaFoundation"};

// The store path below SOFTWARE of the 32-bit view's key at rest (below SOFTWARE).
Path Redirect32(std::span<const std::string> rest) {
    Path stored;
    if (!rest.empty() && Same(rest[0], "Classes")) {
        stored.push_back(rest[0]);
        bool redirected = false;
        if (rest.size() > 1)
            for (const char* name : kRedirectedClasses)
                redirected = redirected || Same(rest[1], name);
        if (redirected) stored.emplace_back(kWow6432Node);
        stored.insert(stored.end(), rest.begin() + 1, rest.end());
        return stored;
    }
    bool shared = false;
    for (std::string_view key : kSharedKeys)
        shared = shared || StartsWith(rest, key);
    if (!shared) stored.emplace_back(kWow6432Node);
    stored.insert(stored.end(), rest.begin(), rest.end());
    return stored;
}

} // namespace

View ViewOfAccess(REGSAM access) {
    ProcessKind process = TheMachine().process;
    if (process == ProcessKind::Win32) return View::Single;
    const bool want32 = access & KEY_WOW64_32KEY, want64 = access & KEY_WOW64_64KEY;
    if (want32 != want64) return want32 ? View::Bits32 : View::Bits64;
    return process == ProcessKind::Wow64 ? View::Bits32 : View::Bits64;
}

Path StorePath(Root root, Path path, View view) {
    if (view == View::Single || root != Root::LocalMachine || path.empty() ||
        !Same(path[0], "SOFTWARE"))
        return path;
    const bool named32 = path.size() > 1 && Same(path[1], kWow6432Node);
    if (view == View::Bits64 && !named32) return path;
    std::span<const std::string> rest(path.begin() + (named32 ? 2 : 1), path.end());
    Path stored = Redirect32(rest);
    stored.insert(stored.begin(), path[0]);
    return stored;
}

} // namespace hostwin::registry
