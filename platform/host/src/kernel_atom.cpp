// kernel32: the global atom table. Names compare without regard to case;
// each add counts a reference that GlobalDeleteAtom takes back.
#include "hostwin/windows.h"

#include "codepage.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

using namespace hostwin;

namespace {

struct AtomEntry {
    std::string name;
    int references = 0;
};

struct AtomTable {
    std::mutex mutex;
    std::map<ATOM, AtomEntry> atoms;
    ATOM next = 0xC000;
};

AtomTable& Table() {
    static AtomTable table;
    return table;
}

ATOM Find(AtomTable& table, const char* name) {
    for (auto& [atom, entry] : table.atoms)
        if (EqualIgnoringAsciiCase(entry.name, name)) return atom;
    return 0;
}

} // namespace

extern "C" {

ATOM WINAPI GlobalAddAtomA(LPCSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (IS_INTRESOURCE(name)) return static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    if (!*name || std::strlen(name) > 255) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    AtomTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    ATOM atom = Find(table, name);
    if (!atom) {
        if (table.next == 0) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        atom = table.next++;
        table.atoms[atom].name = name;
    }
    ++table.atoms[atom].references;
    return atom;
}

ATOM WINAPI GlobalDeleteAtom(ATOM atom) {
    if (atom < 0xC000) return 0;
    AtomTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.atoms.find(atom);
    if (it == table.atoms.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return atom;
    }
    if (--it->second.references == 0) table.atoms.erase(it);
    return 0;
}

} // extern "C"
