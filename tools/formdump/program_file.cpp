// A program file given to formdump: its form descriptions are resources in
// it, not the file itself.
#include "description.h"

#include "codepage.h"
#include "pe_resources.h"

namespace formdump {
namespace {

constexpr WORD kRcData = 10;

bool IsPe(const std::string& contents) {
    return hostwin::ReadPeKind(std::vector<BYTE>(contents.begin(), contents.end())).has_value();
}

} // namespace

std::optional<std::string> DescriptionInProgram(const std::string& contents,
                                                const std::string& file,
                                                const std::string& resource, std::string& problem) {
    const bool elf = contents.rfind("\x7F"
                                    "ELF",
                                    0) == 0;
    if (!IsPe(contents)) {
        if (!resource.empty())
            problem = "not a Windows program or resource file (no MZ/PE header)";
        else if (elf)
            problem = "a program of this system (ELF), not a form description: the host build "
                      "compiles its forms from resources/*.json in the source tree; a Windows "
                      "build's are in its resources: formdump --resource TFORMMAIN "
                      "build/win32/bin/Setup.exe";
        return std::nullopt;
    }
    auto module = hostwin::ReadPeResources(std::vector<BYTE>(contents.begin(), contents.end()));
    std::string names;
    for (const hostwin::ResourceRecord& record :
         module ? module->Records() : std::vector<hostwin::ResourceRecord>{}) {
        if (record.type.id != kRcData || record.name.name.empty()) continue;
        if (!resource.empty() && hostwin::EqualIgnoringAsciiCase(record.name.name, resource))
            return std::string(reinterpret_cast<const char*>(record.data), record.size);
        names += (names.empty() ? "" : ", ") + hostwin::AnsiToUtf8(record.name.name);
    }
    if (!module)
        problem = "a Windows program or resource file whose resource directory is malformed";
    else if (!resource.empty())
        problem =
            "has no RCDATA resource " + resource + (names.empty() ? "" : " (it has " + names + ")");
    else if (names.empty())
        problem = "a Windows program or resource file (PE), not a form description, and it has "
                  "no named RCDATA resources, where form descriptions are kept";
    else
        problem = "a Windows program or resource file (PE), not a form description: its form "
                  "descriptions are its RCDATA resources (" +
                  names +
                  "); dump one with: "
                  "formdump --resource " +
                  names.substr(0, names.find(',')) + " " + file;
    return std::nullopt;
}

} // namespace formdump
