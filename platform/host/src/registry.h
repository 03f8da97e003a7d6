// The registry's operations on key handles, with names in UTF-8 and data in
// its stored form. The A functions (advapi32_registry.cpp) convert to and
// from the ANSI code page around them; tools/hostwin-reg calls them directly,
// so that any Unicode text reaches the store.
//
// Key handles are kernel handles (handles.h) that name their key by its hive
// and path and remember the key's identity: a handle whose key was deleted
// fails with ERROR_KEY_DELETED from then on, also when a key of the same name
// is created again. The predefined handles HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER always work; other predefined hives are not kept
// (ERROR_INVALID_HANDLE).
#pragma once

#include "registry_tree.h"

#include <string>
#include <string_view>

namespace hostwin::registry {

// Whose bytes name the keys and values that the journal records: the
// program's (ANSI code page) or hostwin-reg's (UTF-8).
enum class Caller { Ansi, Utf8 };

// Opens the key at subPath below base, in the registry view the access's
// KEY_WOW64_* flags pick (registry_views.h). An empty subPath opens base
// again: a new handle, except for a predefined hive, which is returned itself.
LSTATUS OpenKey(HKEY base, std::string_view subPath, REGSAM access, HKEY* result);

// Opens the key at subPath below base, creating it and the keys on its way
// when missing; disposition (optional) tells whether the key was created.
LSTATUS CreateKey(HKEY base, std::string_view subPath, REGSAM access, HKEY* result,
                  DWORD* disposition);

LSTATUS CloseKey(HKEY key);
LSTATUS FlushKey(HKEY key);

// A value of the key; an empty name is the default value.
LSTATUS QueryValue(HKEY key, std::string_view name, Value& value);

// Sets, deletes: each call goes to the journal with its result.
LSTATUS SetValue(HKEY key, std::string_view name, DWORD type, std::string data, Caller caller);
LSTATUS DeleteValue(HKEY key, std::string_view name, Caller caller);
// Deletes the key at subPath (base itself when empty) in the view that the
// KEY_WOW64_* flags of view pick (none: the process's own); a key that has
// subkeys is refused with ERROR_ACCESS_DENIED, as Windows refuses it.
LSTATUS DeleteKey(HKEY base, std::string_view subPath, REGSAM view, Caller caller);

// Records a set or delete call that failed before it reached the registry
// (its arguments were refused at the API's edge); view holds the call's
// KEY_WOW64_* flags.
void JournalChange(const char* event, HKEY key, std::string_view subPath,
                   std::string_view valueName, LSTATUS result, Caller caller, REGSAM view = 0);

// Records what the program looked at: an open of subPath below key
// (registry_open), or a query of a value of key (registry_query, with the
// value's type and the size the caller is told, when it was found). Nothing
// is done without a journal.
void JournalOpen(HKEY key, std::string_view subPath, REGSAM access, LSTATUS result);
void JournalQuery(HKEY key, std::string_view valueName, LSTATUS result, const Value* found,
                  size_t reportedSize);

struct SubkeyEntry {
    std::string name;
    FILETIME lastWrite{};
};
// The index-th subkey in enumeration order; ERROR_NO_MORE_ITEMS past the end.
LSTATUS EnumKey(HKEY key, DWORD index, SubkeyEntry& entry);
// The index-th value in the order values were first set.
LSTATUS EnumValue(HKEY key, DWORD index, Value& value);

struct KeyInfo {
    DWORD subkeys = 0;
    DWORD maxSubkeyLength = 0; // UTF-16 units, as Windows and Wine report it
    DWORD values = 0;
    DWORD maxValueNameLength = 0; // UTF-16 units
    DWORD maxValueLength = 0;     // stored bytes (UTF-16 for text)
    FILETIME lastWrite{};
};
LSTATUS QueryInfoKey(HKEY key, KeyInfo& info);

// The key and every key below it as registry file text (header included),
// with the keys' full names as stored (the 32-bit view's keys below
// HKLM\SOFTWARE\WOW6432Node, as regedit shows them).
LSTATUS ExportKey(HKEY key, std::string& text);

} // namespace hostwin::registry
