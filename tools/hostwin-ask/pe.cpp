// hostwin-ask pe: a program file's machine, bitness and resources, read by
// the host's PE reader (the one that loads language resource files).
#include "ask.h"

#include "codepage.h"
#include "hex.h"
#include "json_object.h"
#include "pe_resources.h"

namespace hostwin_ask {
namespace {

// The bitness of a PE file: 32 for i386 with a PE32 header, 64 for x86-64
// with a PE32+ one; 0 for any other pair.
int BitsOf(const hostwin::PeKind& kind) {
    if (kind.machine == 0x14C && kind.magic == 0x10B) return 32;
    if (kind.machine == 0x8664 && kind.magic == 0x20B) return 64;
    return 0;
}

// A resource type or name: its number, or its name as a JSON string.
std::string KeyJson(const hostwin::ResourceKey& key) {
    if (key.name.empty()) return std::to_string(key.id);
    std::string json;
    hostwin::AppendJsonString(json, hostwin::AnsiToUtf8(key.name));
    return json;
}

std::string Hex(const BYTE* data, DWORD size) {
    std::string hex;
    hostwin::AppendHexBytes(hex, std::string_view(reinterpret_cast<const char*>(data), size));
    return hex;
}

} // namespace

int AskPe(const std::vector<std::string>& arguments) {
    const bool withData = arguments.size() == 2 && arguments[1] == "--data";
    if (arguments.size() != 1 && !withData) {
        std::fputs("hostwin-ask pe: one file name, then --data or nothing (see hostwin-ask "
                   "--help)\n",
                   stderr);
        return 2;
    }
    std::vector<unsigned char> bytes;
    std::string reason;
    if (!ReadFile(arguments[0], bytes, reason)) return Fail(arguments[0] + ": " + reason);
    JsonObject answer;
    auto kind = hostwin::ReadPeKind(bytes);
    if (!kind) {
        std::puts(answer.Bool("pe", false).Close().c_str());
        return 0;
    }
    answer.Bool("pe", true).Number("machine", kind->machine);
    if (int bits = BitsOf(*kind))
        answer.Number("bits", bits);
    else
        answer.Null("bits");
    auto module = hostwin::ReadPeResources(std::move(bytes));
    if (!module) {
        std::puts(answer.Null("resources").Close().c_str());
        return 0;
    }
    std::string resources = "[";
    for (const hostwin::ResourceRecord& record : module->Records()) {
        JsonObject resource;
        resource.Raw("type", KeyJson(record.type))
            .Raw("name", KeyJson(record.name))
            .Number("language", record.language)
            .Number("size", record.size);
        if (withData) resource.Utf8("hex", Hex(record.data, record.size));
        resources += (resources.size() > 1 ? ", " : "") + resource.Close();
    }
    std::puts(answer.Raw("resources", resources + "]").Close().c_str());
    return 0;
}

} // namespace hostwin_ask
