// A small JSON document model for formdump: parsing with clear errors and a
// nesting limit, and writing with short containers kept on one line.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace formdump {

// A malformed document or a value of the wrong shape.
class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Json {
public:
    enum Kind { Null, Bool, Number, String, Array, Object };

    Json() = default;
    static Json MakeBool(bool value);
    static Json MakeInteger(int64_t value);
    // A number written as given (for floats, the shortest text that reads back).
    static Json MakeNumber(std::string text);
    // A string of UTF-16 code units (lone surrogates are kept).
    static Json MakeString(std::u16string units);
    static Json MakeString(std::string_view utf8);
    static Json MakeArray();
    static Json MakeObject();

    Kind kind() const { return kind_; }
    // The line of the document on which the value starts (0 when not parsed).
    int Line() const { return line_; }
    bool IsNull() const { return kind_ == Null; }

    // Accessors raise JsonError naming what was expected.
    bool AsBool() const;
    int64_t AsInteger() const;
    double AsDouble() const;
    // The number as written in the document.
    const std::string& NumberText() const;
    const std::u16string& AsString() const;
    const std::vector<Json>& AsArray() const;

    // Objects keep their members in order.
    const Json* Find(std::string_view key) const;
    const Json& At(std::string_view key) const;
    Json& Set(std::string key, Json value);
    Json& Append(Json value);

    // The document text, indented by two spaces; containers whose text is
    // short stay on one line.
    std::string Write() const;

private:
    void WriteCompact(std::string& out) const;
    void WritePretty(std::string& out, int indent) const;

    Kind kind_ = Null;
    int line_ = 0;
    bool bool_ = false;
    std::string number_;
    std::u16string string_;
    std::vector<Json> items_;
    std::vector<std::pair<std::string, Json>> members_;

    friend class JsonParser;
};

// Parses a document; raises JsonError with the line and column of the fault.
Json ParseJson(std::string_view text);

// UTF-8 to UTF-16; raises JsonError for malformed UTF-8.
std::u16string Utf8ToUtf16(std::string_view utf8);
// UTF-16 to UTF-8; lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

} // namespace formdump
