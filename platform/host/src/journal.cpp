#include "journal.h"

#include "codepage.h"
#include "hex.h"
#include "machine.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace hostwin {

std::string ProgramName() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return "";
    std::string full(path, static_cast<size_t>(length));
    size_t slash = full.rfind('/');
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

JournalEntry::JournalEntry(const char* event) {
    Utf8("event", event);
}

JournalEntry& JournalEntry::Text(const char* key, std::string_view ansiBytes) {
    std::string hexText;
    AppendHexBytes(hexText, ansiBytes);
    std::string hexKey = std::string(key) + "_hex";
    return Utf8(key, AnsiToUtf8(ansiBytes)).Utf8(hexKey.c_str(), hexText);
}

JournalEntry& JournalEntry::TextOrNull(const char* key, const char* ansiBytes) {
    if (ansiBytes) return Text(key, ansiBytes);
    Null(key);
    std::string hexKey = std::string(key) + "_hex";
    return Null(hexKey.c_str());
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
    std::string line = text_ + "}\n";
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return;
    ssize_t written = write(fd, line.data(), line.size());
    (void)written;
    close(fd);
}

void ReportHostError(std::string_view utf8Message) {
    std::fprintf(stderr, "hostwin: %.*s\n", static_cast<int>(utf8Message.size()),
                 utf8Message.data());
    JournalEntry("host_error").Utf8("message", utf8Message);
}

} // namespace hostwin
