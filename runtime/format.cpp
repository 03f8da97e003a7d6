#include "runtime/format.h"

#include "runtime/hex.h"

#include <vector>

namespace {

// Formats one argument by type; false when the argument does not fit the type.
bool Convert(char type, int precision, const FormatArg& arg, std::string& out) {
    const auto& value = arg.Value();
    switch (type) {
    case 'd':
    case 'u': {
        std::string digits;
        bool negative = false;
        if (auto* i = std::get_if<int64_t>(&value)) {
            negative = *i < 0;
            uint64_t magnitude =
                negative ? 0 - static_cast<uint64_t>(*i) : static_cast<uint64_t>(*i);
            if (type == 'u' && negative) {
                negative = false;
                magnitude = static_cast<uint32_t>(*i);
            }
            digits = std::to_string(magnitude);
        } else if (auto* u = std::get_if<uint64_t>(&value)) {
            digits = std::to_string(*u);
        } else {
            return false;
        }
        if (precision > static_cast<int>(digits.size()))
            digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
        out = (negative ? "-" : "") + digits;
        return true;
    }
    case 'x': {
        uint64_t bits;
        if (auto* i = std::get_if<int64_t>(&value))
            bits = (*i >= INT32_MIN && *i <= INT32_MAX) ? static_cast<uint32_t>(*i)
                                                        : static_cast<uint64_t>(*i);
        else if (auto* u = std::get_if<uint64_t>(&value))
            bits = *u;
        else
            return false;
        out = UpperHex(bits, precision > 0 ? precision : 1);
        return true;
    }
    case 'p': {
        uint64_t bits;
        if (auto* p = std::get_if<const void*>(&value))
            bits = reinterpret_cast<uintptr_t>(*p);
        else if (auto* u = std::get_if<uint64_t>(&value))
            bits = *u;
        else if (auto* i = std::get_if<int64_t>(&value))
            bits = static_cast<uint64_t>(*i);
        else
            return false;
        out = UpperHex(bits, static_cast<int>(sizeof(void*) * 2));
        return true;
    }
    case 's': {
        auto* s = std::get_if<std::string>(&value);
        if (!s) return false;
        out = precision >= 0 && static_cast<size_t>(precision) < s->size()
                  ? s->substr(0, static_cast<size_t>(precision))
                  : *s;
        return true;
    }
    default:
        return false;
    }
}

} // namespace

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
    std::vector<const FormatArg*> list;
    for (const FormatArg& arg : args)
        list.push_back(&arg);
    std::string out;
    size_t next = 0;
    size_t i = 0;
    while (i < format.size()) {
        char c = format[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i < format.size() && format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t start = i;
        auto number = [&](int& value) {
            bool any = false;
            value = 0;
            while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
                value = value * 10 + (format[i++] - '0');
                any = true;
                if (value > 100000) value = 100000;
            }
            return any;
        };
        int index = 0;
        if (number(index) && i < format.size() && format[i] == ':') {
            next = static_cast<size_t>(index);
            ++i;
        } else {
            i = start;
        }
        bool left = false;
        if (i < format.size() && format[i] == '-') {
            left = true;
            ++i;
        }
        int width = 0;
        number(width);
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            number(precision);
        }
        if (i >= format.size()) {
            out.append(format.substr(start - 1));
            break;
        }
        char type = static_cast<char>(format[i++] | 0x20); // types are case-insensitive
        std::string text;
        if (next >= list.size() || !Convert(type, precision, *list[next], text)) text = "<?>";
        ++next;
        if (static_cast<int>(text.size()) < width) {
            std::string pad(static_cast<size_t>(width) - text.size(), ' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}
