#include "json.h"

#include "hex.h"

#include <cerrno>
#include <cstdlib>

namespace formdump {

namespace {

// Deep enough for the JSON of every description the reader takes: up to four
// JSON levels for each of its 256 levels of nesting (a collection's item and
// property lists), and a few for the root.
constexpr int maxDepth = 4 * 256 + 16;
constexpr size_t inlineWidth = 100;

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
    } else {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (code >> 10));
        out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
    }
}

// Decodes one UTF-8 sequence at text[at]; returns false when it is malformed.
bool DecodeUtf8(std::string_view text, size_t& at, char32_t& code) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    int extra = lead < 0x80             ? 0
                : (lead & 0xE0) == 0xC0 ? 1
                : (lead & 0xF0) == 0xE0 ? 2
                : (lead & 0xF8) == 0xF0 ? 3
                                        : -1;
    if (extra < 0 || text.size() - at <= static_cast<size_t>(extra)) return false;
    code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        unsigned char next = byte(at + static_cast<size_t>(i));
        if ((next & 0xC0) != 0x80) return false;
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return false;
    at += static_cast<size_t>(extra) + 1;
    return true;
}

void WriteString(std::string& out, const std::u16string& units) {
    auto escape = [&](char16_t unit) {
        out += "\\u";
        const char bytes[] = {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
        hostwin::AppendHexBytes(out, std::string_view(bytes, 2));
    };
    out += '"';
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        if (unit == '"')
            out += "\\\"";
        else if (unit == '\\')
            out += "\\\\";
        else if (unit == '\n')
            out += "\\n";
        else if (unit == '\t')
            out += "\\t";
        else if (unit == '\r')
            out += "\\r";
        else if (unit < 0x20 || unit == 0x7F)
            escape(unit);
        else if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                (units[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit))
            escape(unit); // kept exactly
        else
            AppendUtf8(out, unit);
    }
    out += '"';
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string units;
    for (size_t at = 0; at < utf8.size();) {
        char32_t code;
        if (!DecodeUtf8(utf8, at, code)) throw JsonError("malformed UTF-8");
        AppendUtf16(units, code);
    }
    return units;
}

std::string Utf16ToUtf8(std::u16string_view units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                (units[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

Json Json::MakeBool(bool value) {
    Json json;
    json.kind_ = Bool;
    json.bool_ = value;
    return json;
}

Json Json::MakeInteger(int64_t value) {
    return MakeNumber(std::to_string(value));
}

Json Json::MakeNumber(std::string text) {
    Json json;
    json.kind_ = Number;
    json.number_ = std::move(text);
    return json;
}

Json Json::MakeString(std::u16string units) {
    Json json;
    json.kind_ = String;
    json.string_ = std::move(units);
    return json;
}

Json Json::MakeString(std::string_view utf8) {
    return MakeString(Utf8ToUtf16(utf8));
}

Json Json::MakeArray() {
    Json json;
    json.kind_ = Array;
    return json;
}

Json Json::MakeObject() {
    Json json;
    json.kind_ = Object;
    return json;
}

bool Json::AsBool() const {
    if (kind_ != Bool) throw JsonError("expected true or false");
    return bool_;
}

int64_t Json::AsInteger() const {
    if (kind_ != Number) throw JsonError("expected an integer");
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(number_.c_str(), &end, 10);
    if (errno == ERANGE || !end || *end != 0)
        throw JsonError("expected an integer, not " + number_);
    return value;
}

double Json::AsDouble() const {
    if (kind_ != Number) throw JsonError("expected a number");
    return std::strtod(number_.c_str(), nullptr);
}

const std::string& Json::NumberText() const {
    if (kind_ != Number) throw JsonError("expected a number");
    return number_;
}

const std::u16string& Json::AsString() const {
    if (kind_ != String) throw JsonError("expected a string");
    return string_;
}

const std::vector<Json>& Json::AsArray() const {
    if (kind_ != Array) throw JsonError("expected a list");
    return items_;
}

const Json* Json::Find(std::string_view key) const {
    if (kind_ != Object) throw JsonError("expected an object");
    for (const auto& [name, value] : members_)
        if (name == key) return &value;
    return nullptr;
}

const Json& Json::At(std::string_view key) const {
    const Json* value = Find(key);
    if (!value) throw JsonError("missing \"" + std::string(key) + "\"");
    return *value;
}

Json& Json::Set(std::string key, Json value) {
    members_.emplace_back(std::move(key), std::move(value));
    return members_.back().second;
}

Json& Json::Append(Json value) {
    items_.push_back(std::move(value));
    return items_.back();
}

void Json::WriteCompact(std::string& out) const {
    switch (kind_) {
    case Null:
        out += "null";
        break;
    case Bool:
        out += bool_ ? "true" : "false";
        break;
    case Number:
        out += number_;
        break;
    case String:
        WriteString(out, string_);
        break;
    case Array:
        out += '[';
        for (size_t i = 0; i < items_.size(); ++i) {
            if (i) out += ", ";
            items_[i].WriteCompact(out);
        }
        out += ']';
        break;
    case Object:
        out += '{';
        for (size_t i = 0; i < members_.size(); ++i) {
            if (i) out += ", ";
            WriteString(out, Utf8ToUtf16(members_[i].first));
            out += ": ";
            members_[i].second.WriteCompact(out);
        }
        out += '}';
        break;
    }
}

void Json::WritePretty(std::string& out, int indent) const {
    std::string compact;
    WriteCompact(compact);
    bool container = kind_ == Array || kind_ == Object;
    if (!container || compact.size() + static_cast<size_t>(indent) <= inlineWidth ||
        (kind_ == Array ? items_.empty() : members_.empty())) {
        out += compact;
        return;
    }
    std::string inner(static_cast<size_t>(indent + 2), ' ');
    out += kind_ == Array ? "[\n" : "{\n";
    size_t count = kind_ == Array ? items_.size() : members_.size();
    for (size_t i = 0; i < count; ++i) {
        out += inner;
        if (kind_ == Array) {
            items_[i].WritePretty(out, indent + 2);
        } else {
            WriteString(out, Utf8ToUtf16(members_[i].first));
            out += ": ";
            members_[i].second.WritePretty(out, indent + 2);
        }
        out += i + 1 < count ? ",\n" : "\n";
    }
    out += std::string(static_cast<size_t>(indent), ' ') + (kind_ == Array ? "]" : "}");
}

std::string Json::Write() const {
    std::string out;
    WritePretty(out, 0);
    return out + "\n";
}

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    Json Document() {
        Json value = Value(0);
        SkipSpace();
        if (at_ < text_.size()) Fail("unexpected text after the document");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < at_ && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        throw JsonError("line " + std::to_string(line) + ", column " + std::to_string(column) +
                        ": " + what);
    }

    void SkipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool Take(char c) {
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void Expect(char c) {
        if (!Take(c)) Fail(std::string("expected '") + c + "'");
    }

    bool TakeWord(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    // A value, remembering the line it starts on.
    Json Value(int depth) {
        if (depth > maxDepth) Fail("nesting too deep");
        SkipSpace();
        for (size_t i = lineCountedTo_; i < at_; ++i)
            if (text_[i] == '\n') ++lines_;
        lineCountedTo_ = at_;
        int line = 1 + lines_;
        Json value = BareValue(depth);
        value.line_ = line;
        return value;
    }

    Json BareValue(int depth) {
        if (at_ >= text_.size()) Fail("unexpected end of the document");
        char c = text_[at_];
        if (c == '{') return ObjectValue(depth);
        if (c == '[') return ArrayValue(depth);
        if (c == '"') return Json::MakeString(StringValue());
        if (TakeWord("null")) return Json();
        if (TakeWord("true")) return Json::MakeBool(true);
        if (TakeWord("false")) return Json::MakeBool(false);
        if (c == '-' || (c >= '0' && c <= '9')) return NumberValue();
        Fail("unexpected character");
    }

    Json ObjectValue(int depth) {
        ++at_;
        Json object = Json::MakeObject();
        if (Take('}')) return object;
        do {
            SkipSpace();
            if (at_ >= text_.size() || text_[at_] != '"') Fail("expected a member name");
            std::string key = Utf16ToUtf8(StringValue());
            if (object.Find(key)) Fail("member \"" + key + "\" given twice");
            Expect(':');
            object.Set(std::move(key), Value(depth + 1));
        } while (Take(','));
        Expect('}');
        return object;
    }

    Json ArrayValue(int depth) {
        ++at_;
        Json array = Json::MakeArray();
        if (Take(']')) return array;
        do
            array.Append(Value(depth + 1));
        while (Take(','));
        Expect(']');
        return array;
    }

    Json NumberValue() {
        size_t start = at_;
        auto digits = [&] {
            size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
                ++at_;
            return at_ > from;
        };
        if (text_[at_] == '-') ++at_;
        if (!digits()) Fail("malformed number");
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            if (!digits()) Fail("malformed number");
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (!digits()) Fail("malformed number");
        }
        return Json::MakeNumber(std::string(text_.substr(start, at_ - start)));
    }

    int HexDigit() {
        if (at_ >= text_.size()) Fail("unexpected end of the document");
        const int digit = hostwin::HexDigitValue(text_[at_++]);
        if (digit < 0) Fail("malformed \\u escape");
        return digit;
    }

    std::u16string StringValue() {
        ++at_; // the opening quote
        std::u16string units;
        for (;;) {
            if (at_ >= text_.size()) Fail("unterminated string");
            unsigned char c = static_cast<unsigned char>(text_[at_]);
            if (c == '"') {
                ++at_;
                return units;
            }
            if (c < 0x20) Fail("control character in a string");
            if (c == '\\') {
                ++at_;
                if (at_ >= text_.size()) Fail("unterminated string");
                char e = text_[at_++];
                switch (e) {
                case '"':
                    units += u'"';
                    break;
                case '\\':
                    units += u'\\';
                    break;
                case '/':
                    units += u'/';
                    break;
                case 'b':
                    units += u'\b';
                    break;
                case 'f':
                    units += u'\f';
                    break;
                case 'n':
                    units += u'\n';
                    break;
                case 'r':
                    units += u'\r';
                    break;
                case 't':
                    units += u'\t';
                    break;
                case 'u': {
                    int unit = 0;
                    for (int i = 0; i < 4; ++i)
                        unit = unit * 16 + HexDigit();
                    units += static_cast<char16_t>(unit);
                    break;
                }
                default:
                    Fail("unknown escape");
                }
                continue;
            }
            char32_t code;
            if (!DecodeUtf8(text_, at_, code)) Fail("malformed UTF-8");
            AppendUtf16(units, code);
        }
    }

    std::string_view text_;
    size_t at_ = 0;
    size_t lineCountedTo_ = 0; // the newlines before this offset are counted in lines_
    int lines_ = 0;
};

Json ParseJson(std::string_view text) {
    return JsonParser(text).Document();
}

} // namespace formdump
