// The launcher's roads as tests/roads/roads.tsv lists them, read for the host
// scenarios: what the medium and the machine hold, and how the launch ends.
#pragma once

#include "platform/win32.h"

#include <ostream>
#include <string>
#include <vector>

namespace launcher_test {

// One row of the table; the columns are described at the top of the file.
struct Road {
    std::string name;
    std::string suites;
    LCID locale = 0;
    unsigned codePage = 0;
    std::string folder; // below the case's medium directory; empty: the medium itself
    bool setupPresent = true;
    bool bothConfigs = true;
    std::string appName;
    std::string copy;
    std::string userKey;
    std::string from;
    std::string outcome;
    std::string uninstaller;
    std::string text; // UTF-8, line breaks decoded; empty: no box
};
void PrintTo(const Road& road, std::ostream* out);

// The roads the table gives to `suite` ("host"), in its order.
std::vector<Road> RoadsOf(const std::string& suite);

} // namespace launcher_test
