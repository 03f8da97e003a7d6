#include "road_table.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace launcher_test {

std::string Expanded(const std::string& cell) {
    if (cell == "(empty)" || cell == "-") return {};
    std::string expanded;
    std::istringstream segments(cell);
    std::string segment;
    for (bool first = true; std::getline(segments, segment, '/'); first = false) {
        if (!first) expanded += '/';
        const size_t star = segment.rfind('*');
        long count = star == std::string::npos ? 0 : std::strtol(&segment[star + 1], nullptr, 10);
        if (count == 0) expanded += segment;
        for (; count > 0; --count)
            expanded += segment.substr(0, star);
    }
    return expanded;
}

std::vector<Road> RoadsOf(const std::string& suite) {
    std::ifstream table(SETUP_SOURCE_DIR "/tests/roads/roads.tsv");
    std::vector<std::string> columns;
    std::vector<Road> roads;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, '\t');) {
            std::string decoded;
            for (size_t i = 0; i < cell.size(); ++i) {
                const bool lineBreak = cell.compare(i, 2, "\\n") == 0;
                decoded += lineBreak ? '\n' : cell[i];
                i += lineBreak;
            }
            cells.push_back(decoded);
        }
        if (columns.empty()) {
            columns = cells;
            continue;
        }
        Road road;
        // A row short of cells has no outcome, and fails.
        for (size_t i = 0; i < columns.size() && i < cells.size(); ++i)
            road[columns[i]] = cells[i];
        if (("," + road["suites"] + ",").find("," + suite + ",") != std::string::npos)
            roads.push_back(road);
    }
    return roads;
}

} // namespace launcher_test
