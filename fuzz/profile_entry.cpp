#include "fuzz/profile_entry.h"

#include "fuzz/fuzz_input.h"
#include "platform/win32.h"
#include "profile_text.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr const char* kFile = "C:\\fuzz-profile.ini";
constexpr char kSentinel = '\x5A';
// Entries compared before and after a write: the first keys of the first sections.
constexpr size_t kSectionsCompared = 3, kKeysCompared = 3;

void Check(bool holds, const std::string& what) {
    if (!holds) FuzzFailure("profile", what);
}

void PlaceFile(std::string_view bytes) {
    HANDLE file = CreateFileA(kFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "cannot create the profile file");
    DWORD written = 0;
    Check(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size(),
          "cannot write the profile file");
    CloseHandle(file);
}

// One read through a buffer of size bytes with sentinels after it: the result
// fits, ends in a zero, and nothing is written past the buffer.
std::string Read(const char* section, const char* key, const char* defaultValue, DWORD size) {
    std::vector<char> buffer(size + 16, kSentinel);
    DWORD result = GetPrivateProfileStringA(section, key, defaultValue, buffer.data(), size, kFile);
    Check(result < size,
          "the result " + std::to_string(result) + " does not fit " + std::to_string(size));
    Check(buffer[result] == 0, "the result is not ended by a zero");
    for (size_t i = size; i < buffer.size(); ++i)
        Check(buffer[i] == kSentinel, "a byte past the buffer was written");
    return std::string(buffer.data(), result);
}

// The names of a listing (zero-separated, ended by an empty name).
std::vector<std::string> Names(const std::string& list) {
    std::vector<std::string> names;
    for (size_t at = 0; at < list.size();) {
        size_t end = list.find('\0', at);
        if (end == std::string::npos) end = list.size();
        names.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

// What the write does: set a value, remove a key, remove a section.
enum class TEdit { Set, RemoveKey, RemoveSection };

using TEntries = std::vector<std::tuple<std::string, std::string, std::string>>;

// The first keys of the first sections with their values, read through
// buffers large enough for everything in the file.
TEntries Entries(DWORD size) {
    TEntries entries;
    std::vector<std::string> sections = Names(Read(nullptr, nullptr, nullptr, size));
    for (size_t s = 0; s < sections.size() && s < kSectionsCompared; ++s) {
        std::vector<std::string> keys = Names(Read(sections[s].c_str(), nullptr, "", size));
        for (size_t k = 0; k < keys.size() && k < kKeysCompared; ++k)
            entries.emplace_back(sections[s], keys[k],
                                 Read(sections[s].c_str(), keys[k].c_str(), "", size));
    }
    return entries;
}

// A name the file can hold on a line of its own: no line breaks or zeros, no
// blanks around it (the functions drop them), never empty.
std::string PlainName(std::string text, std::string_view alsoLeftOut) {
    std::string kept;
    for (char c : text)
        if (c != '\r' && c != '\n' && c != '\0' && alsoLeftOut.find(c) == std::string_view::npos)
            kept += c;
    kept = std::string(hostwin::TrimBlanks(kept));
    return kept.empty() ? "n" : kept;
}

} // namespace

void FuzzProfileInput(const uint8_t* data, size_t size) {
    EnsureFuzzMachine("profile");
    TFuzzInput input(data, size);
    uint8_t flags = input.TakeByte();
    DWORD bufferSize = 1 + input.TakeByte();
    std::string section = input.TakeText(32), key = input.TakeText(32), value = input.TakeText(64);
    std::string_view bytes = input.Rest();
    PlaceFile(bytes);

    // Reads, listings and defaults through small buffers.
    Read(section.c_str(), key.c_str(), value.c_str(), bufferSize);
    Read(section.c_str(), nullptr, value.c_str(), bufferSize);
    Read(nullptr, nullptr, nullptr, bufferSize);
    GetPrivateProfileIntA(section.c_str(), key.c_str(), 7, kFile);

    // A write changes its own entry and nothing else. The buffers have room
    // for every name and value of the file, and for what the write adds.
    const DWORD large = static_cast<DWORD>(2 * bytes.size() + 1024);
    TEntries before = Entries(large);
    section = PlainName(section, "");
    // A key cannot hold "=", nor start like a section header.
    key = PlainName(key, "=");
    if (key[0] == '[') key.insert(0, "k");
    // A value keeps no blanks around it, and reads without one pair of enclosing quotes.
    std::string plain = PlainName(value, "");
    if (plain[0] == '"' || plain[0] == '\'') plain.insert(0, "v");
    const TEdit edit = static_cast<TEdit>(flags % 3);
    BOOL written = WritePrivateProfileStringA(section.c_str(),
                                              edit == TEdit::RemoveSection ? nullptr : key.c_str(),
                                              edit == TEdit::Set ? plain.c_str() : nullptr, kFile);
    Check(written, "a write failed with error " + std::to_string(GetLastError()));
    if (edit == TEdit::Set) {
        std::string back = Read(section.c_str(), key.c_str(), "", large);
        Check(back == plain, "[" + section + "] " + key + "=" + plain + " reads back as " + back);
    }

    for (const auto& [s, k, v] : before) {
        // Names are looked up without their surrounding blanks. A listed name
        // may keep some: a name with a zero inside lists as its part before
        // the zero ("[Startup \0]" lists as "Startup ").
        bool sameSection = hostwin::SameProfileName(hostwin::TrimBlanks(s), section);
        // Removing the first section or key of a name may uncover a second one.
        bool touched = sameSection && (edit == TEdit::RemoveSection ||
                                       hostwin::SameProfileName(hostwin::TrimBlanks(k), key));
        if (touched) continue;
        Check(Read(s.c_str(), k.c_str(), "", large) == v,
              "the entry [" + s + "] " + k + " changed");
    }
}
