// Reading this test process's journal: the lines of one event and their fields.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

struct JournalLine {
    std::string text;

    // The raw JSON value of a field (a string keeps its quotes), empty when absent.
    std::string Raw(const std::string& key) const {
        std::string marker = "\"" + key + "\":";
        size_t at = text.find(marker);
        if (at == std::string::npos) return {};
        size_t start = at + marker.size();
        size_t end = start;
        if (text[start] == '"') {
            for (end = start + 1; end < text.size() && text[end] != '"'; ++end)
                if (text[end] == '\\') ++end;
            ++end;
        } else {
            while (end < text.size() && text[end] != ',' && text[end] != '}')
                ++end;
        }
        return text.substr(start, end - start);
    }
    int64_t Number(const std::string& key) const {
        std::string raw = Raw(key);
        return raw.empty() || raw == "null" ? -1 : std::strtoll(raw.c_str(), nullptr, 10);
    }
    // The bytes of a text field, decoded from its KEY_hex twin.
    std::string Bytes(const std::string& key) const {
        std::string hex = Raw(key + "_hex");
        std::string bytes;
        if (hex.empty() || hex[0] != '"') return bytes; // null
        for (size_t i = 1; i + 2 < hex.size(); i += 2)
            bytes.push_back(static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16)));
        return bytes;
    }
};

// The journal's lines of one event, in order.
inline std::vector<JournalLine> JournalEvents(const std::string& event) {
    std::vector<JournalLine> lines;
    const char* path = std::getenv("HOSTWIN_JOURNAL");
    if (!path) return lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.find("\"event\":\"" + event + "\"") != std::string::npos) lines.push_back({line});
    return lines;
}
