// The registry's keys and values in memory, as the store file holds them:
// names in UTF-8 (compared without regard to case, kept with their case),
// string data as UTF-16LE bytes, the form in which Windows keeps it and hands
// it to the W functions. The A functions convert at their boundary.
#pragma once

#include "hostwin/windows.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostwin::registry {

// The hives the host keeps.
enum class Root { LocalMachine, CurrentUser };
constexpr Root kRoots[] = {Root::CurrentUser, Root::LocalMachine}; // the order files list them

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
const char* RootName(Root root);
// The hive of a full root name or its abbreviation (HKLM, HKCU), any case.
std::optional<Root> RootFromName(std::string_view name);
// The hive of a predefined handle (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER).
std::optional<Root> RootFromHandle(HKEY key);
HKEY RootHandle(Root root);

// Longest key name component, in UTF-16 units. Windows documents 255
// characters but its registry takes one more: a component of 256 opens and is
// created; 257 fails with ERROR_INVALID_PARAMETER.
constexpr size_t kMaxKeyNameLength = 256;

// Splits a sub-path ("A\B\C") into its components. Empty components (doubled
// or trailing backslashes) are skipped, as Windows skips them; a leading
// backslash is ERROR_BAD_PATHNAME; a component longer than 255 characters is
// ERROR_INVALID_PARAMETER.
LSTATUS SplitKeyPath(std::string_view utf8Path, std::vector<std::string>& components);

struct Value {
    std::string name; // UTF-8; empty for the key's default value
    DWORD type = REG_NONE;
    std::string data; // the stored bytes (UTF-16LE for the string types)
};

// True for the types whose data is text (converted by the A functions).
bool IsStringType(DWORD type);

// A name's folded form: the key under which names compare and sort. Windows
// compares key and value names without regard to case; Wine sorts the folded
// names by code point, which decides the order RegEnumKeyExA and
// RegEnumValueA report them in.
std::u32string FoldName(std::string_view utf8);

struct Key {
    std::string name; // UTF-8, with the case it was created with
    uint64_t id = 0;  // identity of this key while the process runs (see InheritKeyIds)
    FILETIME lastWrite{};
    std::map<std::u32string, std::unique_ptr<Key>> subkeys; // by folded name
    std::vector<Value> values; // by folded name, the order Wine enumerates them in

    Key* FindSubkey(std::string_view name) const;
    // The subkey of that name, created (with a new id) when missing; created tells which.
    Key& ObtainSubkey(std::string_view name, bool* created = nullptr);
    bool RemoveSubkey(std::string_view name);

    Value* FindValue(std::string_view name);
    const Value* FindValue(std::string_view name) const;
    // Sets or replaces a value.
    void SetValue(std::string_view name, DWORD type, std::string data);
    bool RemoveValue(std::string_view name);

    // Where a value of that name is, or would go.
    std::vector<Value>::iterator ValueSlot(std::string_view name);

    // The key at a path below this one, or null.
    Key* Descend(const std::vector<std::string>& path);
    const Key* Descend(const std::vector<std::string>& path) const;
};

// A new identity for a key created in this process.
uint64_t NewKeyId();

struct Tree {
    Tree();
    Key& RootKey(Root root) { return roots[static_cast<int>(root)]; }
    const Key& RootKey(Root root) const { return roots[static_cast<int>(root)]; }
    Key roots[2];
};

// Gives the keys of a freshly read tree the identities of the keys at the
// same paths in the tree it replaces, so that handles stay valid across a
// re-read; keys that are new get new identities.
void InheritKeyIds(Key& fresh, const Key& previous);

// Stamps every key of the tree with the time.
void StampTree(Key& key, const FILETIME& time);

// The current time as a FILETIME.
FILETIME NowAsFileTime();

} // namespace hostwin::registry
