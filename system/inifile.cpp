#include "system/inifile.h"

#include "platform/win32.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "system/stringlist.h"

#include <cstring>
#include <memory>
#include <new>

constinit const TClass TCustomIniFile::ClassInfo =
    MakeClass<TCustomIniFile>("TCustomIniFile", &TObject::ClassInfo);
constinit const TClass TIniFile::ClassInfo =
    MakeClass<TIniFile>("TIniFile", &TCustomIniFile::ClassInfo);

namespace {

constexpr DWORD kValueBufferSize = 2048;
constexpr DWORD kListBufferSize = 16384;

// Reads a value with a text conversion; the default when the value is empty
// or the conversion reports unreadable text. Other exceptions pass on.
template <class T, class Convert>
T LoadConverted(TCustomIniFile& ini, const std::string& section, const std::string& key,
                T defaultValue, Convert convert) {
    std::string text = ini.LoadText(section, key, "");
    if (text.empty()) return defaultValue;
    try {
        return convert(text);
    } catch (const EConvertError&) {
        return defaultValue;
    }
}

} // namespace

// --- TCustomIniFile: the typed operations over LoadText and StoreText --------

int32_t TCustomIniFile::LoadNumber(const std::string& section, const std::string& key,
                                   int32_t defaultValue) {
    std::string text = LoadText(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return StrToIntDef(text, defaultValue);
}

void TCustomIniFile::StoreNumber(const std::string& section, const std::string& key,
                                 int32_t value) {
    StoreText(section, key, IntToStr(value));
}

bool TCustomIniFile::LoadFlag(const std::string& section, const std::string& key,
                              bool defaultValue) {
    return LoadNumber(section, key, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::StoreFlag(const std::string& section, const std::string& key, bool value) {
    StoreText(section, key, value ? "1" : "0");
}

TDateTime TCustomIniFile::LoadDate(const std::string& section, const std::string& key,
                                   TDateTime defaultValue) {
    return LoadConverted(*this, section, key, defaultValue,
                         [](const std::string& text) { return StrToDate(text); });
}

TDateTime TCustomIniFile::LoadDateTime(const std::string& section, const std::string& key,
                                       TDateTime defaultValue) {
    return LoadConverted(*this, section, key, defaultValue,
                         [](const std::string& text) { return StrToDateTime(text); });
}

double TCustomIniFile::LoadReal(const std::string& section, const std::string& key,
                                double defaultValue) {
    return LoadConverted(*this, section, key, defaultValue,
                         [](const std::string& text) { return StrToFloat(text); });
}

TDateTime TCustomIniFile::LoadTime(const std::string& section, const std::string& key,
                                   TDateTime defaultValue) {
    return LoadConverted(*this, section, key, defaultValue,
                         [](const std::string& text) { return StrToTime(text); });
}

void TCustomIniFile::StoreDate(const std::string& section, const std::string& key,
                               TDateTime value) {
    StoreText(section, key, DateToStr(value));
}

void TCustomIniFile::StoreDateTime(const std::string& section, const std::string& key,
                                   TDateTime value) {
    StoreText(section, key, DateTimeToStr(value));
}

void TCustomIniFile::StoreReal(const std::string& section, const std::string& key, double value) {
    StoreText(section, key, FloatToStr(value));
}

void TCustomIniFile::StoreTime(const std::string& section, const std::string& key,
                               TDateTime value) {
    StoreText(section, key, TimeToStr(value));
}

// --- TIniFile: the profile functions -----------------------------------------

std::string TIniFile::LoadText(const std::string& section, const std::string& key,
                               const std::string& defaultValue) {
    char buffer[kValueBufferSize];
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                            buffer, kValueBufferSize, FIniPath.c_str());
    return std::string(buffer, std::min<DWORD>(length, kValueBufferSize - 1));
}

void TIniFile::StoreText(const std::string& section, const std::string& key,
                         const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), FIniPath.c_str()))
        RaiseWriteError();
}

void TIniFile::ListNames(const char* section, TStrings& list) {
    // Lack of memory is reported before the list is touched.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kListBufferSize]);
    if (!buffer) throw EOutOfMemory("Out of memory");
    TUpdateBracket bracket(list);
    list.Clear();
    DWORD length = GetPrivateProfileStringA(section, nullptr, nullptr, buffer.get(),
                                            kListBufferSize, FIniPath.c_str());
    // The walk stops at the empty name or at the end of what the call
    // returned, whichever comes first, so a list cut short by the buffer
    // never leads it past the bytes written.
    length = std::min<DWORD>(length, kListBufferSize - 1);
    size_t position = 0;
    while (position < length && buffer[position] != 0) {
        const char* name = buffer.get() + position;
        const void* end = std::memchr(name, 0, length - position);
        size_t nameLength = end ? static_cast<const char*>(end) - name : length - position;
        list.Add(std::string(name, nameLength));
        position += nameLength + 1;
    }
}

void TIniFile::ListKeys(const std::string& section, TStrings& list) {
    ListNames(section.c_str(), list);
}

void TIniFile::ListSections(TStrings& list) {
    ListNames(nullptr, list);
}

void TIniFile::ListEntries(const std::string& section, TStrings& list) {
    TOwned<TStringList> keys(new TStringList());
    ListKeys(section, *keys);
    TUpdateBracket bracket(list);
    for (int i = 0; i < keys->Count(); ++i) {
        std::string key = keys->Get(i);
        list.SetValue(key, LoadText(section, key, ""));
    }
}

void TIniFile::RemoveSection(const std::string& section) {
    if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, FIniPath.c_str()))
        RaiseWriteError();
}

void TIniFile::RemoveKey(const std::string& section, const std::string& key) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, FIniPath.c_str());
}

void TIniFile::FlushToDisk() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, FIniPath.c_str());
}

void TIniFile::RaiseWriteError() const {
    throw Exception(FormatResString(SIniFileWriteError, {FIniPath}));
}
