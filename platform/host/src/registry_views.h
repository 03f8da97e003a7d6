// The registry's two views on 64-bit Windows. A 64-bit program sees
// HKLM\SOFTWARE as the store keeps it; a 32-bit program (WOW64) is redirected
// to HKLM\SOFTWARE\WOW6432Node, except for the keys Windows shares between
// the views. KEY_WOW64_32KEY and KEY_WOW64_64KEY pick a view for one call; on
// 32-bit Windows there is one registry and the flags are ignored.
//
// The store keeps every key where regedit shows it on 64-bit Windows: the
// 32-bit view's keys below HKLM\SOFTWARE\WOW6432Node.
#pragma once

#include "registry_tree.h"

#include <string>
#include <vector>

namespace hostwin::registry {

enum class View { Single, Bits64, Bits32 };

// The name of the key below HKLM\SOFTWARE that holds the 32-bit view.
constexpr const char kWow6432Node[] = "WOW6432Node";

// The view a call works in: the one its access flags pick, else the
// process's own (HOSTWIN_PROCESS); Single on 32-bit Windows.
View ViewOfAccess(REGSAM access);

// Where the store keeps the key at path (below root) as the view sees it.
// Redirection applies to the whole path, so a path that already names
// SOFTWARE\WOW6432Node stays in the 32-bit view, and the shared keys below it
// are the 64-bit view's (as Windows links them).
std::vector<std::string> StorePath(Root root, std::vector<std::string> path, View view);

} // namespace hostwin::registry
