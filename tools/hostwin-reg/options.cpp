#include "reg_tool.h"

#include <cctype>

namespace hostwin_reg {
namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line,
                      std::string& error) {
    if (arguments.empty()) {
        error = "no command given";
        return false;
    }
    line.command = Lower(arguments[0]);
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // Options are a slash (or a dash) and letters; anything else, a
        // POSIX path such as /tmp/x.reg included, is positional.
        bool option = argument.size() >= 2 && (argument[0] == '/' || argument[0] == '-');
        for (size_t k = 1; option && k < argument.size(); ++k)
            option = std::isalpha(static_cast<unsigned char>(argument[k]));
        if (!option) {
            line.positional.push_back(argument);
            continue;
        }
        std::string name = Lower(argument.substr(1));
        auto takeValue = [&](std::optional<std::string>& slot) {
            if (i + 1 >= arguments.size()) {
                error = "option " + argument + " needs a value";
                return false;
            }
            slot = arguments[++i];
            return true;
        };
        if (name == "v") {
            if (!takeValue(line.valueName)) return false;
        } else if (name == "ve") {
            line.defaultValue = true;
        } else if (name == "va") {
            line.allValues = true;
        } else if (name == "t") {
            if (!takeValue(line.type)) return false;
        } else if (name == "d") {
            if (!takeValue(line.data)) return false;
        } else if (name == "s" && line.command == "add") {
            if (!takeValue(line.separator)) return false;
        } else if (name == "s") {
            line.recursive = true;
        } else if (name == "f" || name == "y") {
            line.force = true;
        } else {
            error = "unknown option " + argument;
            return false;
        }
    }
    int valueOptions =
        (line.valueName ? 1 : 0) + (line.defaultValue ? 1 : 0) + (line.allValues ? 1 : 0);
    if (valueOptions > 1) {
        error = "/v, /ve and /va exclude each other";
        return false;
    }
    return true;
}

std::string KeyName::Full() const {
    std::string full = hostwin::registry::RootName(root);
    if (!path.empty()) full += "\\" + path;
    return full;
}

std::optional<KeyName> ParseKeyName(const std::string& text) {
    size_t separator = text.find('\\');
    auto root = hostwin::registry::RootFromName(text.substr(0, separator));
    if (!root) return std::nullopt;
    KeyName name{*root,
                 separator == std::string::npos ? std::string() : text.substr(separator + 1)};
    while (!name.path.empty() && name.path.back() == '\\')
        name.path.pop_back();
    return name;
}

} // namespace hostwin_reg
