#include "runtime/module_registry.h"

#include "runtime/locks.h"

#include <cstring>
#include <mutex>
#include <string>

namespace {

TLock registryMutex;
ModuleRecord* firstModule = nullptr;

// Sizes the Win32 calls are given: a path buffer, and the language buffer
// that holds a three-letter abbreviation with its terminating zero (the
// override is read with the same size).
constexpr DWORD PathBufferSize = 261;
constexpr DWORD LanguageBufferSize = 5;

const char* const LocaleOverrideKeys[] = {"Software\\Trevasol\\Locales",
                                          "Software\\Trevasol\\Ormund\\Locales"};

// Text of at most size bytes from a buffer that need not hold a terminating zero.
std::string BoundedText(const char* buffer, size_t size) {
    return std::string(buffer, strnlen(buffer, size));
}

// The program's path in long-name form (each name spelt as it exists), or
// as GetModuleFileNameA gave it when that form cannot be had.
std::string HostPathLongForm() {
    char path[PathBufferSize];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return {};
    char longPath[PathBufferSize];
    DWORD longLength = GetLongPathNameA(path, longPath, sizeof(longPath));
    if (longLength == 0 || longLength >= sizeof(longPath)) return std::string(path, length);
    return std::string(longPath, longLength);
}

// One registry value read into a buffer of LanguageBufferSize bytes; false
// when it cannot be read. The value's bytes count up to the first zero, so a
// value without a terminating zero never reads past the buffer, and a failed
// read (whose buffer Windows leaves undefined) gives nothing.
bool ReadOverrideValue(HKEY key, const char* name, std::string& value) {
    char buffer[LanguageBufferSize] = {};
    DWORD size = sizeof(buffer);
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    value = BoundedText(buffer, size);
    return true;
}

// The per-user choice of the language file's extension, or empty.
std::string LocaleOverride() {
    for (const char* keyName : LocaleOverrideKeys) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            continue;
        // The key's default value serves only when the program has no value
        // of its own; an empty value of its own means no override.
        std::string value;
        if (!ReadOverrideValue(key, HostPathLongForm().c_str(), value))
            ReadOverrideValue(key, nullptr, value);
        RegCloseKey(key);
        return value;
    }
    return {};
}

HINSTANCE LoadWithExtension(const std::string& name, size_t dot, const std::string& extension) {
    std::string file = name.substr(0, dot + 1) + extension;
    return LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// Addresses in the program's code and in its initialised data, whose
// allocation bases name the program's image.
void CodeAnchor() {}
int dataAnchor = 1;

ModuleRecord programRecord;

} // namespace

void RegisterModule(ModuleRecord& record) {
    std::lock_guard<TLock> lock(registryMutex);
    record.NextModule = firstModule;
    firstModule = &record;
}

void UnregisterModule(ModuleRecord& record) {
    std::lock_guard<TLock> lock(registryMutex);
    for (ModuleRecord** link = &firstModule; *link; link = &(*link)->NextModule)
        if (*link == &record) {
            *link = record.NextModule;
            record.NextModule = nullptr;
            return;
        }
}

HINSTANCE ModuleOfAddress(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(address, &info, sizeof(info)) == 0 || info.State != MEM_COMMIT) return nullptr;
    return static_cast<HINSTANCE>(info.AllocationBase);
}

HINSTANCE ResourceModuleOf(HINSTANCE module) {
    std::lock_guard<TLock> lock(registryMutex);
    for (ModuleRecord* record = firstModule; record; record = record->NextModule)
        if (module == record->ModuleHandle || module == record->CodeHandle ||
            module == record->DataHandle)
            return record->ResourceHandle;
    return module;
}

HINSTANCE LoadLanguageResourceModule(const char* moduleFileName) {
    std::string choice = LocaleOverride();
    // The file name as a 261-byte buffer holds it.
    std::string name =
        moduleFileName ? BoundedText(moduleFileName, PathBufferSize - 1) : std::string();
    char languageBuffer[LanguageBufferSize] = {};
    if (GetLocaleInfoA(GetThreadLocale(), LOCALE_SABBREVLANGNAME, languageBuffer,
                       sizeof(languageBuffer)) == 0)
        languageBuffer[0] = 0;
    std::string language = BoundedText(languageBuffer, sizeof(languageBuffer));
    if (name.empty() || (language.empty() && choice.empty())) return nullptr;
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) return nullptr;
    HINSTANCE module = nullptr;
    if (!choice.empty()) module = LoadWithExtension(name, dot, choice);
    if (!module && !language.empty()) {
        module = LoadWithExtension(name, dot, language);
        if (!module) module = LoadWithExtension(name, dot, language.substr(0, 2));
    }
    return module;
}

void StartModuleRegistry() {
    if (programRecord.ModuleHandle) return;
    HINSTANCE program = GetModuleHandleA(nullptr);
    char path[PathBufferSize];
    DWORD length = GetModuleFileNameA(program, path, sizeof(path));
    // A path that filled the buffer has no terminating zero: it is cut.
    path[length < sizeof(path) ? length : sizeof(path) - 1] = 0;
    HINSTANCE language = LoadLanguageResourceModule(path);
    programRecord.ModuleHandle = program;
    programRecord.ResourceHandle = language ? language : program;
    programRecord.CodeHandle = ModuleOfAddress(reinterpret_cast<const void*>(&CodeAnchor));
    programRecord.DataHandle = ModuleOfAddress(&dataAnchor);
    RegisterModule(programRecord);
}

void StopModuleRegistry() {
    if (!programRecord.ModuleHandle) return;
    UnregisterModule(programRecord);
    if (programRecord.ResourceHandle != programRecord.ModuleHandle)
        FreeLibrary(programRecord.ResourceHandle);
    programRecord = ModuleRecord{};
}
