#include "road_table.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace launcher_test {

namespace {

// A path or name of the table: each "/"-separated segment X*N stands for X
// repeated N times, "(empty)" for the empty text.
std::string Expanded(const std::string& cell) {
    if (cell == "(empty)") return {};
    std::string expanded;
    std::istringstream segments(cell);
    std::string segment;
    for (bool first = true; std::getline(segments, segment, '/'); first = false) {
        if (!first) expanded += '/';
        const size_t star = segment.rfind('*');
        if (star == std::string::npos || star + 1 == segment.size()) {
            expanded += segment;
            continue;
        }
        for (long count = std::strtol(segment.c_str() + star + 1, nullptr, 10); count > 0; --count)
            expanded += segment.substr(0, star);
    }
    return expanded;
}

// A box text: "\n" stands for a line break, "-" for no text.
std::string Text(const std::string& cell) {
    if (cell == "-") return {};
    std::string text;
    for (size_t i = 0; i < cell.size(); ++i) {
        if (cell[i] == '\\' && i + 1 < cell.size() && cell[i + 1] == 'n') {
            text += '\n';
            ++i;
        } else {
            text += cell[i];
        }
    }
    return text;
}

} // namespace

void PrintTo(const Road& road, std::ostream* out) {
    *out << road.name;
}

std::vector<Road> RoadsOf(const std::string& suite) {
    std::ifstream table(SETUP_SOURCE_DIR "/tests/roads/roads.tsv");
    std::vector<Road> roads;
    bool header = true;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, '\t');)
            cells.push_back(cell);
        if (header) {
            header = false;
            continue;
        }
        // A row short of cells runs as a road of no known outcome, and fails.
        const size_t count = cells.size();
        cells.resize(15);
        if (("," + cells[1] + ",").find("," + suite + ",") == std::string::npos) continue;
        Road road;
        road.name = cells[0];
        road.suites = cells[1];
        road.locale = static_cast<LCID>(std::strtoul(cells[2].c_str(), nullptr, 10));
        road.codePage = static_cast<unsigned>(std::strtoul(cells[3].c_str(), nullptr, 10));
        road.folder = cells[4] == "-" ? std::string() : Expanded(cells[4]);
        road.setupPresent = cells[5] == "present";
        road.bothConfigs = cells[6] == "both";
        road.appName = Expanded(cells[7]);
        road.copy = cells[8];
        road.userKey = cells[9];
        road.from = cells[10];
        road.outcome = count >= 14 ? cells[11] : "a row of " + std::to_string(count) + " cells";
        road.uninstaller = cells[12];
        road.text = Text(cells[13]);
        roads.push_back(road);
    }
    return roads;
}

} // namespace launcher_test
