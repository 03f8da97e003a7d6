#include "json_object.h"

#include "hex.h"

namespace hostwin {

void AppendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    for (char ch : utf8) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                AppendHexBytes(out, std::string_view(&ch, 1));
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

} // namespace hostwin
