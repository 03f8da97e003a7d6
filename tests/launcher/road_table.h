// The launcher's roads as tests/roads/roads.tsv lists them, read for the host
// scenarios: what the medium and the machine hold, and how the launch ends.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace launcher_test {

// One row of the table: its cells by column (described at the top of the
// file), "\n" in them decoded to a line break.
struct Road : std::map<std::string, std::string> {};
// A road is shown by its name in test output.
inline void PrintTo(const Road& road, std::ostream* out) {
    *out << road.at("road");
}

// The roads the table gives to `suite` ("host"), in its order.
std::vector<Road> RoadsOf(const std::string& suite);

// A path or name of the table: each "/"-separated segment X*N stands for X
// repeated N times, "(empty)" for the empty text and "-" for none.
std::string Expanded(const std::string& cell);

} // namespace launcher_test
