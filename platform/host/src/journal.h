// The journal: every effect of the program that a person or a test could
// observe, appended to $HOSTWIN_JOURNAL as one JSON object a line. Each line
// carries the event, the process id and the program's file name.
#pragma once

#include "json_object.h"

#include <string>
#include <string_view>

namespace hostwin {

class JournalEntry : public JsonMembers<JournalEntry> {
public:
    explicit JournalEntry(const char* event);
    ~JournalEntry(); // appends the line (one write, so lines of processes never mix)
    JournalEntry(const JournalEntry&) = delete;
    JournalEntry& operator=(const JournalEntry&) = delete;

    // A text of the program's own bytes (ANSI code page): written as its
    // UTF-8 conversion under key and as hexadecimal under key_hex.
    JournalEntry& Text(const char* key, std::string_view ansiBytes);
    // Like Text, but a null pointer is written as JSON null.
    JournalEntry& TextOrNull(const char* key, const char* ansiBytes);
    // Texts that are already UTF-8 (host paths, host messages), numbers and
    // the rest: the JsonMembers calls.
};

// True when $HOSTWIN_JOURNAL names a journal. The events of what the program
// looks at (reads, lookups) are only put together when it does, so that a run
// without a journal pays nothing for them.
bool JournalEnabled();

// The program's file name as the journal names it (UTF-8).
std::string ProgramName();

// Writes a line to standard error and, as {"event":"host_error"}, to the journal.
void ReportHostError(std::string_view utf8Message);

} // namespace hostwin
