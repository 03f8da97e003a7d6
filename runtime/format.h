// Message formatting: fills "%s"-style placeholders of a format text, as the
// string-table messages use them.
//
// A placeholder is "%" [index ":"] ["-"] [width] ["." precision] type, with the
// types d (signed decimal), u (unsigned decimal), x/X (hexadecimal, upper
// case), p (address, upper-case hexadecimal of pointer width) and s (text);
// "%%" is a percent sign. An index selects the argument by number (from 0)
// and the following placeholders continue from there.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

class FormatArg {
public:
    FormatArg(int value) : value_(static_cast<int64_t>(value)) {}
    FormatArg(long value) : value_(static_cast<int64_t>(value)) {}
    FormatArg(long long value) : value_(static_cast<int64_t>(value)) {}
    FormatArg(unsigned value) : value_(static_cast<uint64_t>(value)) {}
    FormatArg(unsigned long value) : value_(static_cast<uint64_t>(value)) {}
    FormatArg(unsigned long long value) : value_(static_cast<uint64_t>(value)) {}
    FormatArg(const void* value) : value_(value) {}
    FormatArg(const char* value) : value_(std::string(value ? value : "")) {}
    FormatArg(std::string value) : value_(std::move(value)) {}
    FormatArg(std::string_view value) : value_(std::string(value)) {}

    const std::variant<int64_t, uint64_t, const void*, std::string>& Value() const {
        return value_;
    }

private:
    std::variant<int64_t, uint64_t, const void*, std::string> value_;
};

// Formats the text with the arguments. A placeholder whose argument is
// missing or of another kind is written as the text "<?>" instead of failing.
std::string Format(std::string_view format, std::initializer_list<FormatArg> args);
