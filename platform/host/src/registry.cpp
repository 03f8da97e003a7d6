#include "registry.h"

#include "codepage.h"
#include "handles.h"
#include "hex.h"
#include "journal.h"
#include "registry_file.h"
#include "registry_store.h"
#include "registry_views.h"

#include <iterator>
#include <optional>

namespace hostwin::registry {
namespace {

// An open key: its hive, its path as the program named it, where the store
// keeps it (the path the view led to), and the identity of the key it opened.
class KeyObject : public KernelObject {
public:
    KeyObject(Root root, std::vector<std::string> path, std::vector<std::string> stored,
              uint64_t id, REGSAM access)
        : root(root), path(std::move(path)), stored(std::move(stored)), id(id), access(access) {}
    const Root root;
    const std::vector<std::string> path;
    const std::vector<std::string> stored;
    const uint64_t id;
    const REGSAM access;
    bool deleted = false; // sticky: set the first time the key is found gone
};

// What a handle refers to.
struct KeyRef {
    Root root;
    std::vector<std::string> path;   // as the program named it
    std::vector<std::string> stored; // where the store keeps it
    uint64_t id;
    REGSAM access;
    std::shared_ptr<KeyObject> object; // null for a predefined hive
};

std::optional<KeyRef> Resolve(HKEY key) {
    if (auto root = RootFromHandle(key)) {
        const uint64_t id = *root == Root::LocalMachine ? 1u : 2u; // fixed (Tree's constructor)
        return KeyRef{*root, {}, {}, id, KEY_ALL_ACCESS, nullptr};
    }
    auto object = LookupHandleAs<KeyObject>(key);
    if (!object) return std::nullopt;
    return KeyRef{object->root, object->path, object->stored, object->id, object->access, object};
}

// Where the store keeps the key at below from a handle, in the view the
// access asks for. The empty sub-path is the handle's own key, whatever the view.
std::vector<std::string> StorePathBelow(const KeyRef& ref, const std::vector<std::string>& below,
                                        REGSAM access) {
    if (below.empty()) return ref.stored;
    std::vector<std::string> path = ref.stored;
    path.insert(path.end(), below.begin(), below.end());
    return StorePath(ref.root, std::move(path), ViewOfAccess(access));
}

// The key a handle opened, or null when it has been deleted since.
template <class TreeType> auto Locate(TreeType& tree, const KeyRef& ref) {
    decltype(&tree.RootKey(ref.root)) key = nullptr;
    if (ref.object && ref.object->deleted) return key;
    key = tree.RootKey(ref.root).Descend(ref.stored);
    if (key && key->id == ref.id) return key;
    if (ref.object) ref.object->deleted = true;
    return decltype(key)(nullptr);
}

HKEY NewHandle(const KeyRef& base, const std::vector<std::string>& below,
               std::vector<std::string> stored, const Key& key, REGSAM access) {
    std::vector<std::string> path = base.path;
    path.insert(path.end(), below.begin(), below.end());
    auto object =
        std::make_shared<KeyObject>(base.root, std::move(path), std::move(stored), key.id, access);
    return static_cast<HKEY>(AllocateHandle(std::move(object)));
}

std::string JoinPath(const std::vector<std::string>& path) {
    std::string joined;
    for (const std::string& component : path) {
        if (!joined.empty()) joined += '\\';
        joined += component;
    }
    return joined;
}

// A text field in the caller's bytes: converted back to the ANSI code page
// for the program (the journal then shows the program's own bytes), as they
// are for hostwin-reg.
void JournalText(JournalEntry& entry, const char* field, std::string_view utf8, Caller caller) {
    if (caller == Caller::Ansi) {
        entry.Text(field, Utf8ToAnsi(utf8));
        return;
    }
    std::string hex;
    AppendHexBytes(hex, utf8);
    entry.Utf8(field, utf8).Utf8((std::string(field) + "_hex").c_str(), hex);
}

LSTATUS CheckAccess(const KeyRef& ref, REGSAM needed) {
    return (ref.access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Runs work on the key a handle opened, once the handle, its rights and the
// key's existence are checked: work(tree, ref, key).
template <class Work> LSTATUS ReadKey(HKEY handle, REGSAM needed, Work work) {
    std::optional<KeyRef> ref = Resolve(handle);
    if (!ref) return ERROR_INVALID_HANDLE;
    if (LSTATUS status = CheckAccess(*ref, needed)) return status;
    return Store::Instance().Read([&](const Tree& tree) -> LSTATUS {
        const Key* key = Locate(tree, *ref);
        return key ? work(tree, *ref, *key) : ERROR_KEY_DELETED;
    });
}

// The same for a change: work(tree, ref, key, changed) sets changed when it
// changed the tree, which is then written.
template <class Work> LSTATUS ChangeKey(HKEY handle, REGSAM needed, Work work) {
    std::optional<KeyRef> ref = Resolve(handle);
    if (!ref) return ERROR_INVALID_HANDLE;
    if (LSTATUS status = CheckAccess(*ref, needed)) return status;
    return Store::Instance().Write([&](Tree& tree, bool& changed) -> LSTATUS {
        Key* key = Locate(tree, *ref);
        return key ? work(tree, *ref, *key, changed) : ERROR_KEY_DELETED;
    });
}

} // namespace

namespace {

// The fields every registry event carries first: the hive, the key's path
// below it (the handle's path and subPath, as the program named them) and the
// value name (null for the default value and for keys).
void DescribeKey(JournalEntry& entry, HKEY key, std::string_view subPath,
                 std::optional<std::string_view> valueName, Caller caller) {
    std::optional<KeyRef> ref = Resolve(key);
    if (ref) {
        entry.Utf8("root", RootName(ref->root));
    } else {
        entry.Null("root");
    }
    std::vector<std::string> path = ref ? ref->path : std::vector<std::string>();
    std::vector<std::string> below;
    if (SplitKeyPath(subPath, below) == ERROR_SUCCESS) {
        path.insert(path.end(), below.begin(), below.end());
    } else {
        path.emplace_back(subPath); // as given, when it is not a valid path
    }
    JournalText(entry, "key", JoinPath(path), caller);
    if (!valueName || valueName->empty()) {
        entry.Null("value").Null("value_hex");
    } else {
        JournalText(entry, "value", *valueName, caller);
    }
}

// The fields every registry event carries last: the registry view the key
// was looked for in (32 or 64; null on 32-bit Windows) and where the store
// keeps it (store_key, its path below the hive; null when the handle or the
// path is not valid). access holds the KEY_WOW64_* flags of the call; a call
// on a handle alone (an empty subPath) reports the view the handle was
// opened in.
void DescribeView(JournalEntry& entry, HKEY key, std::string_view subPath, REGSAM access) {
    std::optional<KeyRef> ref = Resolve(key);
    std::vector<std::string> below;
    const bool valid = SplitKeyPath(subPath, below) == ERROR_SUCCESS;
    const View view = ViewOfAccess(below.empty() && ref ? ref->access : access);
    if (view == View::Single) {
        entry.Null("view");
    } else {
        entry.Number("view", view == View::Bits32 ? 32 : 64);
    }
    if (ref && valid) {
        entry.Utf8("store_key", JoinPath(StorePathBelow(*ref, below, access)));
    } else {
        entry.Null("store_key");
    }
}

} // namespace

void JournalChange(const char* event, HKEY key, std::string_view subPath,
                   std::string_view valueName, LSTATUS result, Caller caller, REGSAM view) {
    JournalEntry entry(event);
    DescribeKey(entry, key, subPath, valueName, caller);
    entry.Number("result", result);
    DescribeView(entry, key, subPath, view);
}

void JournalOpen(HKEY key, std::string_view subPath, REGSAM access, LSTATUS result) {
    if (!JournalEnabled()) return;
    JournalEntry entry("registry_open");
    DescribeKey(entry, key, subPath, std::nullopt, Caller::Ansi);
    entry.Number("access", access).Number("result", result);
    DescribeView(entry, key, subPath, access);
}

void JournalQuery(HKEY key, std::string_view valueName, LSTATUS result, const Value* found,
                  size_t reportedSize) {
    if (!JournalEnabled()) return;
    JournalEntry entry("registry_query");
    DescribeKey(entry, key, "", valueName, Caller::Ansi);
    entry.Number("result", result);
    if (found) {
        entry.Number("type", found->type).Number("size", static_cast<int64_t>(reportedSize));
    } else {
        entry.Null("type").Null("size");
    }
    DescribeView(entry, key, "", 0);
}

LSTATUS OpenKey(HKEY base, std::string_view subPath, REGSAM access, HKEY* result) {
    std::vector<std::string> below;
    if (LSTATUS status = SplitKeyPath(subPath, below)) return status;
    return ReadKey(base, 0, [&](const Tree& tree, const KeyRef& ref, const Key&) -> LSTATUS {
        if (below.empty() && !ref.object) {
            *result = base; // a predefined hive opens as itself
            return ERROR_SUCCESS;
        }
        std::vector<std::string> stored = StorePathBelow(ref, below, access);
        const Key* target = tree.RootKey(ref.root).Descend(stored);
        if (!target) return ERROR_FILE_NOT_FOUND;
        *result = NewHandle(ref, below, std::move(stored), *target, access);
        return ERROR_SUCCESS;
    });
}

LSTATUS CreateKey(HKEY base, std::string_view subPath, REGSAM access, HKEY* result,
                  DWORD* disposition) {
    std::vector<std::string> below;
    if (LSTATUS status = SplitKeyPath(subPath, below)) return status;
    for (const std::string& component : below)
        if (component.find_first_of("\r\n") != std::string::npos)
            return ERROR_INVALID_PARAMETER; // the store keeps one key name a line
    return ChangeKey(base, 0, [&](Tree& tree, const KeyRef& ref, Key&, bool& changed) -> LSTATUS {
        std::vector<std::string> stored = StorePathBelow(ref, below, access);
        Key* target = &tree.RootKey(ref.root);
        bool created = false;
        for (const std::string& component : stored) {
            target = &target->ObtainSubkey(component, &created);
            changed = changed || created;
        }
        if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *result = NewHandle(ref, below, std::move(stored), *target, access);
        return ERROR_SUCCESS;
    });
}

LSTATUS CloseKey(HKEY key) {
    if (RootFromHandle(key)) return ERROR_SUCCESS;
    if (!LookupHandleAs<KeyObject>(key)) return ERROR_INVALID_HANDLE;
    ReleaseHandle(key);
    return ERROR_SUCCESS;
}

LSTATUS FlushKey(HKEY key) {
    // Every change is in the file when the call that made it returns; a
    // flush makes it durable.
    LSTATUS status =
        ReadKey(key, 0, [](const Tree&, const KeyRef&, const Key&) { return ERROR_SUCCESS; });
    return status == ERROR_SUCCESS ? Store::Instance().Flush() : status;
}

LSTATUS QueryValue(HKEY key, std::string_view name, Value& value) {
    return ReadKey(key, KEY_QUERY_VALUE,
                   [&](const Tree&, const KeyRef&, const Key& found) -> LSTATUS {
                       const Value* stored = found.FindValue(name);
                       if (!stored) return ERROR_FILE_NOT_FOUND;
                       value = *stored;
                       return ERROR_SUCCESS;
                   });
}

LSTATUS SetValue(HKEY key, std::string_view name, DWORD type, std::string data, Caller caller) {
    LSTATUS status = ChangeKey(key, KEY_SET_VALUE,
                               [&](Tree&, const KeyRef&, Key& found, bool& changed) -> LSTATUS {
                                   const Value* old = found.FindValue(name);
                                   changed = !old || old->type != type || old->data != data;
                                   if (changed) {
                                       found.SetValue(name, type, std::move(data));
                                       found.lastWrite = NowAsFileTime();
                                   }
                                   return ERROR_SUCCESS;
                               });
    JournalChange("registry_set_value", key, "", name, status, caller);
    return status;
}

LSTATUS DeleteValue(HKEY key, std::string_view name, Caller caller) {
    LSTATUS status = ChangeKey(key, KEY_SET_VALUE,
                               [&](Tree&, const KeyRef&, Key& found, bool& changed) -> LSTATUS {
                                   changed = found.RemoveValue(name);
                                   if (!changed) return ERROR_FILE_NOT_FOUND;
                                   found.lastWrite = NowAsFileTime();
                                   return ERROR_SUCCESS;
                               });
    JournalChange("registry_delete_value", key, "", name, status, caller);
    return status;
}

LSTATUS DeleteKey(HKEY base, std::string_view subPath, REGSAM view, Caller caller) {
    std::vector<std::string> below;
    LSTATUS status = SplitKeyPath(subPath, below);
    if (status == ERROR_SUCCESS) {
        status =
            ChangeKey(base, 0, [&](Tree& tree, const KeyRef& ref, Key&, bool& changed) -> LSTATUS {
                // The key to delete is named by its full path; its parent holds it.
                std::vector<std::string> path = StorePathBelow(ref, below, view);
                if (path.empty()) return ERROR_ACCESS_DENIED; // a hive
                std::vector<std::string> parentPath(path.begin(), path.end() - 1);
                Key* parent = tree.RootKey(ref.root).Descend(parentPath);
                Key* target = parent ? parent->FindSubkey(path.back()) : nullptr;
                if (!target) return ERROR_FILE_NOT_FOUND;
                if (!target->subkeys.empty()) return ERROR_ACCESS_DENIED;
                parent->RemoveSubkey(path.back());
                parent->lastWrite = NowAsFileTime();
                changed = true;
                return ERROR_SUCCESS;
            });
    }
    JournalChange("registry_delete_key", base, subPath, "", status, caller, view);
    return status;
}

LSTATUS EnumKey(HKEY key, DWORD index, SubkeyEntry& entry) {
    return ReadKey(key, KEY_ENUMERATE_SUB_KEYS,
                   [&](const Tree&, const KeyRef&, const Key& found) -> LSTATUS {
                       if (index >= found.subkeys.size()) return ERROR_NO_MORE_ITEMS;
                       const Key& subkey = *std::next(found.subkeys.begin(), index)->second;
                       entry = SubkeyEntry{subkey.name, subkey.lastWrite};
                       return ERROR_SUCCESS;
                   });
}

LSTATUS EnumValue(HKEY key, DWORD index, Value& value) {
    return ReadKey(key, KEY_QUERY_VALUE,
                   [&](const Tree&, const KeyRef&, const Key& found) -> LSTATUS {
                       if (index >= found.values.size()) return ERROR_NO_MORE_ITEMS;
                       value = found.values[index];
                       return ERROR_SUCCESS;
                   });
}

LSTATUS QueryInfoKey(HKEY key, KeyInfo& info) {
    return ReadKey(key, 0, [&](const Tree&, const KeyRef&, const Key& found) -> LSTATUS {
        auto units = [](const std::string& utf8) {
            return static_cast<DWORD>(Utf32ToUtf16(Utf8ToUtf32(utf8)).size());
        };
        info = KeyInfo{};
        info.subkeys = static_cast<DWORD>(found.subkeys.size());
        info.values = static_cast<DWORD>(found.values.size());
        info.lastWrite = found.lastWrite;
        for (const auto& entry : found.subkeys)
            info.maxSubkeyLength = std::max(info.maxSubkeyLength, units(entry.second->name));
        for (const Value& value : found.values) {
            info.maxValueNameLength = std::max(info.maxValueNameLength, units(value.name));
            info.maxValueLength =
                std::max(info.maxValueLength, static_cast<DWORD>(value.data.size()));
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS ExportKey(HKEY key, std::string& text) {
    return ReadKey(key, 0, [&](const Tree& tree, const KeyRef& ref, const Key& found) -> LSTATUS {
        // The full name with the stored case of every component.
        std::string fullName = RootName(ref.root);
        const Key* step = &tree.RootKey(ref.root);
        for (const std::string& component : ref.stored) {
            step = step->FindSubkey(component);
            fullName += "\\" + step->name;
        }
        text = RegFileHeader();
        AppendRegFileTree(text, fullName, found);
        return ERROR_SUCCESS;
    });
}

} // namespace hostwin::registry
