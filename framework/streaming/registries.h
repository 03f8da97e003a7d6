// The process-wide registries the form description reader relies on: the
// component classes that can be created by name, the identifier maps through
// which integer properties accept names such as "clBtnFace", and the lookup
// of top-level components by name. Each registry has a lock of its own.
#pragma once

#include "runtime/typeinfo.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class TComponent;

// --- Classes -------------------------------------------------------------

// Registers the class, then its parent and so on, until a class that is
// already registered, or TPersistent itself, has been registered. Registering
// a class again is allowed; another class under a registered name raises
// EFilerError ("class name already in use").
void RegisterComponentClass(const TClass* cls);
// Registers another name under which LookupRegisteredClass finds the class.
void RegisterClassAlias(const TClass* cls, std::string_view alias);
// The registered class of that name (ASCII case-insensitive), else the class
// of that alias, else null.
const TClass* LookupRegisteredClass(std::string_view name);
// As LookupRegisteredClass; raises EClassNotFound when there is none.
const TClass* RequireRegisteredClass(std::string_view name);
// Empties the class registry and its aliases (shutdown, tests).
void ClearClassRegistry();

// --- Identifier maps -----------------------------------------------------

// Identifier to integer: true and the value when the identifier is known.
using TIdentToInt = bool (*)(std::string_view ident, int32_t& value);
// Integer to identifier: true and the identifier when the value has one.
using TIntToIdent = bool (*)(int32_t value, std::string& ident);

// One row of a fixed identifier table.
struct TIdentMapEntry {
    int32_t Value;
    const char* Name;
};

// Appends an entry for the type to the identifier map registry.
void RegisterIdentMap(const TTypeInfo* type, TIdentToInt toInt, TIntToIdent toIdent);
// The identifier-to-integer function of the first entry registered for that
// very type (its identity, not its name), or null.
TIdentToInt FindIdentMap(const TTypeInfo* type);
// The integer-to-identifier function of that entry, or null.
TIntToIdent FindIntToIdent(const TTypeInfo* type);
// Removes every entry registered for the type (module shutdown).
void UnregisterIdentMaps(const TTypeInfo* type);

// Searches a table from its first row to its last; the identifier matches
// ASCII case-insensitively and the first matching row wins.
bool IdentToIntFrom(std::span<const TIdentMapEntry> table, std::string_view ident, int32_t& value);
// The identifier of the first row holding the value.
bool IntToIdentFrom(std::span<const TIdentMapEntry> table, int32_t value, std::string& ident);

// --- Top-level components --------------------------------------------------

// Finds a top-level component by name (ASCII case-insensitive), or null.
using TGlobalComponentLookup = TComponent* (*)(std::string_view name);

// Installed by the forms layer at start-up; null until then.
extern TGlobalComponentLookup GlobalComponentLookup;
