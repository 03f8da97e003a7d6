// advapi32: the registry's A functions. Names and text data cross here
// between the program's ANSI code page and the store's Unicode, as Windows
// converts between its Unicode registry and the A functions: sizes the A
// functions report are sizes in the ANSI code page.
#include "hostwin/windows.h"

#include "codepage.h"
#include "journal.h"
#include "registry.h"

#include <cstring>

using namespace hostwin;
using namespace hostwin::registry;

namespace {

std::string NameFromAnsi(LPCSTR name) {
    return name ? AnsiToUtf8(name) : std::string();
}

// The A functions convert a key path through a buffer of MAX_PATH + 1 wide
// characters: a longer path fails with ERROR_MORE_DATA before any key is
// looked at.
bool AnsiKeyPathTooLong(LPCSTR subKey) {
    return subKey && AnsiToUtf16(subKey).size() > MAX_PATH;
}

// The data of a value as the A functions see it: text types in the ANSI code
// page (a trailing odd byte of the stored UTF-16 is dropped), others as stored.
std::string AnsiData(const Value& value) {
    if (!IsStringType(value.type)) return value.data;
    std::u16string wide;
    for (size_t i = 0; i + 1 < value.data.size(); i += 2)
        wide += static_cast<char16_t>(static_cast<unsigned char>(value.data[i]) |
                                      static_cast<unsigned char>(value.data[i + 1]) << 8);
    return Utf16ToAnsi(wide);
}

// Stored form of data the program passes: text types become UTF-16LE.
std::string StoredData(DWORD type, const BYTE* data, DWORD size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), data ? size : 0);
    if (!IsStringType(type)) return std::string(bytes);
    std::string stored;
    for (char16_t unit : AnsiToUtf16(bytes)) {
        stored += static_cast<char>(unit & 0xFF);
        stored += static_cast<char>(unit >> 8);
    }
    return stored;
}

// Hands value data to the caller as RegQueryValueExA does: with a buffer that
// is too small, ERROR_MORE_DATA and the buffer untouched; *size is the size
// needed either way. Text that does not end in a zero gets one after it when
// the buffer has room, not counted in *size (Windows and Wine do the same).
LSTATUS DeliverData(const std::string& bytes, bool text, LPBYTE data, LPDWORD size) {
    DWORD length = static_cast<DWORD>(bytes.size());
    LSTATUS status = ERROR_SUCCESS;
    if (data && length) {
        if (length > *size) {
            status = ERROR_MORE_DATA;
        } else {
            std::memcpy(data, bytes.data(), length);
            if (text && length < *size && data[length - 1] != 0) data[length] = 0;
        }
    }
    if (size) *size = length;
    return status;
}

// Copies a name into a buffer of *length bytes as the enumeration functions
// do: it needs room for its zero; *length becomes its length without it.
LSTATUS DeliverName(const std::string& ansi, LPSTR buffer, LPDWORD length) {
    if (ansi.size() + 1 > *length) return ERROR_MORE_DATA;
    std::memcpy(buffer, ansi.c_str(), ansi.size() + 1);
    *length = static_cast<DWORD>(ansi.size());
    return ERROR_SUCCESS;
}

// Keys have no class names here: an empty one, when asked for.
void DeliverEmptyClass(LPSTR className, LPDWORD classLength) {
    if (className && classLength && *classLength > 0) className[0] = 0;
    if (classLength) *classLength = 0;
}

} // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr; // also on failure, as Wine leaves it
    const std::string path = NameFromAnsi(subKey);
    LSTATUS status =
        AnsiKeyPathTooLong(subKey) ? ERROR_MORE_DATA : OpenKey(key, path, access, result);
    JournalOpen(key, path, access, status);
    return status;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access,
                               LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (AnsiKeyPathTooLong(subKey)) return ERROR_MORE_DATA;
    return CreateKey(key, NameFromAnsi(subKey), access, result, disposition);
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    return CloseKey(key);
}

LSTATUS WINAPI RegFlushKey(HKEY key) {
    return FlushKey(key);
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                LPBYTE data, LPDWORD size) {
    if (reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
    Value value;
    const std::string name = NameFromAnsi(valueName);
    LSTATUS status = QueryValue(key, name, value);
    if (JournalEnabled()) {
        const bool found = status == ERROR_SUCCESS;
        JournalQuery(key, name, status, found ? &value : nullptr,
                     found ? AnsiData(value).size() : 0);
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        // What Wine leaves for a missing value: no type, and no size when only the size was asked.
        if (type) *type = REG_NONE;
        if (!data && size) *size = 0;
    }
    if (status != ERROR_SUCCESS) return status;
    if (type) *type = value.type;
    return DeliverData(AnsiData(value), IsStringType(value.type), data, size);
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                              DWORD size) {
    std::string name = NameFromAnsi(valueName);
    if (!data && size) {
        JournalChange("registry_set_value", key, "", name, ERROR_NOACCESS, Caller::Ansi);
        return ERROR_NOACCESS;
    }
    // A text given without its terminating zero keeps the zero that follows
    // it in the caller's memory, as Windows does: Windows reads the byte
    // after the count to see whether one is there.
    if (data && size && IsStringType(type) && data[size - 1] != 0 && data[size] == 0) ++size;
    return SetValue(key, name, type, StoredData(type, data, size), Caller::Ansi);
}

LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
    return DeleteValue(key, NameFromAnsi(valueName), Caller::Ansi);
}

// Without KEY_WOW64_* flags the key is deleted in the process's own view.
LSTATUS WINAPI RegDeleteKeyExA(HKEY key, LPCSTR subKey, REGSAM view, DWORD) {
    if (!subKey) {
        JournalChange("registry_delete_key", key, "", "", ERROR_INVALID_PARAMETER, Caller::Ansi,
                      view);
        return ERROR_INVALID_PARAMETER;
    }
    if (AnsiKeyPathTooLong(subKey)) {
        JournalChange("registry_delete_key", key, "", "", ERROR_MORE_DATA, Caller::Ansi, view);
        return ERROR_MORE_DATA;
    }
    return DeleteKey(key, NameFromAnsi(subKey), view, Caller::Ansi);
}

LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    return RegDeleteKeyExA(key, subKey, 0, 0);
}

LSTATUS WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD,
                             LPSTR className, LPDWORD classLength, PFILETIME lastWrite) {
    if (!name || !nameLength) return ERROR_INVALID_PARAMETER;
    SubkeyEntry entry;
    LSTATUS status = EnumKey(key, index, entry);
    if (status == ERROR_SUCCESS) status = DeliverName(Utf8ToAnsi(entry.name), name, nameLength);
    if (status != ERROR_SUCCESS) return status;
    DeliverEmptyClass(className, classLength);
    if (lastWrite) *lastWrite = entry.lastWrite;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD,
                             LPDWORD type, LPBYTE data, LPDWORD size) {
    if (!name || !nameLength || (data && !size)) return ERROR_INVALID_PARAMETER;
    Value value;
    LSTATUS status = EnumValue(key, index, value);
    if (status != ERROR_SUCCESS) return status;
    if (type) *type = value.type;
    std::string bytes = AnsiData(value);
    status = DeliverName(Utf8ToAnsi(value.name), name, nameLength);
    if (status != ERROR_SUCCESS) {
        if (size) *size = static_cast<DWORD>(bytes.size());
        return status;
    }
    return DeliverData(bytes, IsStringType(value.type), data, size);
}

LSTATUS WINAPI RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classLength, LPDWORD,
                                LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                                LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                                LPDWORD securityDescriptor, PFILETIME lastWrite) {
    KeyInfo info;
    LSTATUS status = QueryInfoKey(key, info);
    if (status != ERROR_SUCCESS) return status;
    DeliverEmptyClass(className, classLength);
    if (subKeys) *subKeys = info.subkeys;
    if (maxSubKeyLength) *maxSubKeyLength = info.maxSubkeyLength;
    if (maxClassLength) *maxClassLength = 0;
    if (values) *values = info.values;
    if (maxValueNameLength) *maxValueNameLength = info.maxValueNameLength;
    if (maxValueLength) *maxValueLength = info.maxValueLength;
    if (securityDescriptor) *securityDescriptor = 0; // keys carry no security descriptors here
    if (lastWrite) *lastWrite = info.lastWrite;
    return ERROR_SUCCESS;
}

} // extern "C"
