#include "reg_tool.h"

#include "ascii.h"

#include <cctype>

namespace hostwin_reg {
namespace {

// Options are a slash (or a dash) and letters; anything else, a POSIX path
// such as /tmp/x.reg included, is positional.
bool IsOption(const std::string& argument) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
    for (size_t k = 1; k < argument.size(); ++k)
        if (!std::isalpha(static_cast<unsigned char>(argument[k]))) return false;
    return true;
}

// The options a command takes: its name and whether a value follows it.
struct OptionSpec {
    const char* name;
    bool takesValue;
};

struct CommandSpec {
    const char* command;
    std::vector<OptionSpec> options;
    size_t positionals; // how many positional arguments it takes
};

// The options of each command, as reg takes them (/d and /s mean different
// things to query and add).
const std::vector<CommandSpec>& Commands() {
    static const std::vector<CommandSpec> commands = {
        {"query",
         {{"v", true},
          {"ve", false},
          {"s", false},
          {"t", true},
          {"f", true},
          {"k", false},
          {"d", false},
          {"c", false},
          {"e", false},
          {"json", false}},
         1},
        {"add",
         {{"v", true}, {"ve", false}, {"t", true}, {"s", true}, {"d", true}, {"f", false}},
         1},
        {"delete", {{"v", true}, {"ve", false}, {"va", false}, {"f", false}}, 1},
        {"import", {}, 1},
        {"export", {{"y", false}}, 2},
    };
    return commands;
}

// Stores one option's value (or presence) in the command line.
void Store(CommandLine& line, const std::string& name, const std::string& value) {
    bool query = line.command == "query";
    if (name == "v")
        line.valueName = value;
    else if (name == "ve")
        line.defaultValue = true;
    else if (name == "va")
        line.allValues = true;
    else if (name == "t")
        line.type = value;
    else if (name == "d" && query)
        line.findData = true;
    else if (name == "d")
        line.data = value;
    else if (name == "s" && query)
        line.recursive = true;
    else if (name == "s")
        line.separator = value;
    else if (name == "f" && query)
        line.find = value;
    else if (name == "f" || name == "y")
        line.force = true;
    else if (name == "k")
        line.findKeys = true;
    else if (name == "c")
        line.caseSensitive = true;
    else if (name == "e")
        line.exact = true;
    else if (name == "json")
        line.json = true;
}

// The combinations reg refuses.
bool CheckCombinations(const CommandLine& line, std::string& error) {
    int valueOptions =
        (line.valueName ? 1 : 0) + (line.defaultValue ? 1 : 0) + (line.allValues ? 1 : 0);
    if (valueOptions > 1) {
        error = "/v, /ve and /va exclude each other";
        return false;
    }
    if (line.command != "query") return true;
    if (!line.find && (line.findKeys || line.findData || line.caseSensitive || line.exact)) {
        error = "/k, /d, /c and /e go with /f PATTERN";
        return false;
    }
    if (line.find && valueOptions > 0) {
        error = "/f searches every value: it excludes /v and /ve";
        return false;
    }
    if (line.json && (line.find || line.type || valueOptions > 0)) {
        error = "/json lists whole keys: it excludes /f, /t, /v and /ve";
        return false;
    }
    if (line.findKeys && line.findData) {
        error = "/k (key names only) and /d (data only) exclude each other";
        return false;
    }
    return true;
}

} // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line,
                      std::string& error) {
    if (arguments.empty()) {
        error = "no command given";
        return false;
    }
    line.command = hostwin::AsciiLowered(arguments[0]);
    const CommandSpec* spec = nullptr;
    for (const CommandSpec& candidate : Commands())
        if (line.command == candidate.command) spec = &candidate;
    if (!spec) {
        error = "unknown command \"" + arguments[0] + "\"";
        return false;
    }
    std::vector<std::string> seen;
    bool viewGiven = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string name = hostwin::AsciiLowered(argument.substr(1));
        if (name == "reg:32" || name == "reg:64") {
            if (viewGiven) {
                error = "/reg:32 and /reg:64 are given together or twice";
                return false;
            }
            viewGiven = true;
            line.view = name == "reg:32" ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
            continue;
        }
        if (!IsOption(argument)) {
            line.positional.push_back(argument);
            continue;
        }
        const OptionSpec* option = nullptr;
        for (const OptionSpec& candidate : spec->options)
            if (name == candidate.name) option = &candidate;
        if (!option) {
            error = argument + " is not an option of " + hostwin::AsciiUppered(line.command);
            return false;
        }
        for (const std::string& earlier : seen)
            if (earlier == name) {
                error = "option " + argument + " is given twice";
                return false;
            }
        seen.push_back(name);
        std::string value;
        if (option->takesValue) {
            if (i + 1 >= arguments.size()) {
                error = "option " + argument + " needs a value";
                return false;
            }
            value = arguments[++i];
        }
        Store(line, name, value);
    }
    if (line.positional.size() != spec->positionals) {
        error = hostwin::AsciiUppered(line.command) + " takes " +
                (spec->positionals == 1
                     ? std::string(line.command == "import" ? "a file name" : "a key name")
                     : std::string("a key name and a file name")) +
                ", " + std::to_string(line.positional.size()) + " given";
        return false;
    }
    return CheckCombinations(line, error);
}

std::string KeyName::Full() const {
    std::string full = hostwin::registry::RootName(root);
    if (!path.empty()) full += "\\" + path;
    return full;
}

bool ParseKeyName(const std::string& text, KeyName& name, std::string& error) {
    size_t separator = text.find('\\');
    std::string rootText = text.substr(0, separator);
    auto root = hostwin::registry::RootFromName(rootText);
    if (!root) {
        size_t slash = rootText.find('/');
        if (slash != std::string::npos &&
            hostwin::registry::RootFromName(rootText.substr(0, slash)))
            error = "Invalid key name \"" + text +
                    "\": keys are separated by backslashes (\\), not forward slashes.";
        else
            error = "Invalid key name \"" + text + "\": it must begin with HKLM, HKCU, " +
                    "HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER (the hives of this machine).";
        return false;
    }
    name.root = *root;
    name.path = separator == std::string::npos ? std::string() : text.substr(separator + 1);
    while (!name.path.empty() && name.path.back() == '\\')
        name.path.pop_back();
    return true;
}

} // namespace hostwin_reg
