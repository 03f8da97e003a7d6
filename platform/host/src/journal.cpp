#include "journal.h"

#include "codepage.h"
#include "machine.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace hostwin {

void AppendJsonString(std::string& out, std::string_view utf8) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (char ch : utf8) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

std::string ProgramName() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return "";
    std::string full(path, static_cast<size_t>(length));
    size_t slash = full.rfind('/');
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

JournalEntry::JournalEntry(const char* event) {
    line_ = "{\"event\":";
    AppendJsonString(line_, event);
}

void JournalEntry::Key(const char* key) {
    line_ += ',';
    AppendJsonString(line_, key);
    line_ += ':';
}

JournalEntry& JournalEntry::Text(const char* key, std::string_view ansiBytes) {
    static const char hex[] = "0123456789abcdef";
    Key(key);
    AppendJsonString(line_, AnsiToUtf8(ansiBytes));
    std::string hexKey = std::string(key) + "_hex";
    Key(hexKey.c_str());
    line_ += '"';
    for (char ch : ansiBytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        line_ += hex[c >> 4];
        line_ += hex[c & 15];
    }
    line_ += '"';
    return *this;
}

JournalEntry& JournalEntry::TextOrNull(const char* key, const char* ansiBytes) {
    if (ansiBytes) return Text(key, ansiBytes);
    Null(key);
    std::string hexKey = std::string(key) + "_hex";
    return Null(hexKey.c_str());
}

JournalEntry& JournalEntry::Utf8(const char* key, std::string_view utf8) {
    Key(key);
    AppendJsonString(line_, utf8);
    return *this;
}

JournalEntry& JournalEntry::Number(const char* key, int64_t value) {
    Key(key);
    line_ += std::to_string(value);
    return *this;
}

JournalEntry& JournalEntry::Bool(const char* key, bool value) {
    Key(key);
    line_ += value ? "true" : "false";
    return *this;
}

JournalEntry& JournalEntry::Null(const char* key) {
    Key(key);
    line_ += "null";
    return *this;
}

bool JournalEnabled() {
    const char* path = std::getenv("HOSTWIN_JOURNAL");
    return path && *path;
}

JournalEntry::~JournalEntry() {
    // Read at each entry, so that a test can direct the journal per case.
    const char* path = std::getenv("HOSTWIN_JOURNAL");
    if (!path || !*path) return;
    Number("pid", getpid());
    Utf8("program", ProgramName());
    line_ += "}\n";
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return;
    ssize_t written = write(fd, line_.data(), line_.size());
    (void)written;
    close(fd);
}

void ReportHostError(std::string_view utf8Message) {
    std::fprintf(stderr, "hostwin: %.*s\n", static_cast<int>(utf8Message.size()),
                 utf8Message.data());
    JournalEntry("host_error").Utf8("message", utf8Message);
}

}  // namespace hostwin
