// TRegistry: a small object over the Win32 registry functions. It holds one
// root key (the hive) and at most one open key below it, opens keys for
// reading by an absolute or a relative path, and reads string values of the
// open key into counted strings. Only the reading side exists.
//
//   TRegistry registry;
//   registry.SelectHive(HKEY_LOCAL_MACHINE);
//   if (registry.OpenForReading("SOFTWARE\\Vendor\\Product"))
//       command = registry.ReadText("UninstallString");
#pragma once

#include "platform/win32.h"
#include "runtime/object.h"

#include <cstdint>
#include <string>

// The value kinds the object tells apart. The order differs from the Win32
// type codes: REG_BINARY (3) and REG_DWORD (4) are swapped here.
enum TValueKind : uint8_t { dkUnknown, dkText, dkExpandText, dkNumber, dkBinary };

struct TValueInfo {
    TValueKind Kind;
    int32_t ByteSize; // the data size the registry reports, in bytes
};

// The value kind of a Win32 value type code (REG_*).
TValueKind ValueKindOf(DWORD type);

class TRegistry : public TObject {
public:
    DECLARE_CLASS_INFO()

    // No key open, root HKEY_CURRENT_USER, lazy writes.
    TRegistry();
    // Closes the open key also when the object is used as a plain C++ object.
    ~TRegistry() override;
    // The destruction chain: closes the open key.
    void Destroy() override;

    // Makes root the hive that absolute paths (and relative ones while no key
    // is open) are opened from; closes the open key when the root changes.
    void SelectHive(HKEY root);
    // Closes the open key, if any (flushing it first unless writes are deferred).
    void CloseCurrent();
    // Opens a key read-only and makes it current; false, changing nothing,
    // when the registry refuses. A path that begins with a backslash is
    // absolute (from the hive); any other is relative to the open key, or to
    // the hive while no key is open.
    bool OpenForReading(const std::string& path);
    // Kind and size of a value of the open key; false when it cannot be queried.
    bool QueryValueInfo(const std::string& name, TValueInfo& info);
    // The value's data size in bytes, or -1 when it cannot be queried.
    int32_t QueryValueSize(const std::string& name);
    // A REG_SZ or REG_EXPAND_SZ value (unexpanded) up to its first zero byte;
    // empty when the value is missing, has no data or no key is open. Raises
    // ERegistryException for a value of another kind, or when the data
    // cannot be read after its size was.
    std::string ReadText(const std::string& name);

    HKEY Hive() const { return FHive; }
    HKEY CurrentKey() const { return FOpenKey; }
    const std::string& CurrentPath() const { return FOpenPath; }
    bool DeferWrites() const { return FDeferWrites; }
    bool OwnsHive() const { return FOwnsHive; }
    DWORD AccessMask() const { return FAccessMask; }

protected:
    // Reads the value's raw data into buffer (size bytes) and returns the
    // byte count the registry wrote; raises ERegistryException on failure.
    int32_t FetchValueData(const std::string& name, void* buffer, int32_t size, TValueKind& kind);
    // Makes key (with its path) the open key, closing the previous one.
    void AdoptKey(HKEY key, const std::string& path);
    // The key a path is opened from: the open key for a relative path while
    // one is open, else the hive.
    HKEY BaseForOpen(bool relative) const;
    [[noreturn]] void RaiseWrongValueKind(const std::string& name);

private:
    HKEY FOpenKey = nullptr;
    HKEY FHive = nullptr;
    bool FDeferWrites = false;
    std::string FOpenPath;
    bool FOwnsHive = false;
    DWORD FAccessMask = 0;
};
