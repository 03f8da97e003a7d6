// Description to JSON: the description is read with the reader's own tag-level
// operations, value by value as the reader skips them (a tag's low seven bits
// decide its payload), so that whatever the reader can read or skip can be
// dumped. A failure names the byte, the component and the property.
#include "description.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/stream.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace formdump {

namespace {

bool IsIntegerTag(uint8_t tag) {
    return tag == tgSigned8 || tag == tgSigned16 || tag == tgSigned32;
}

template <class T> std::string NumberText(const char* format, T value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

template <class T> T LittleEndian(const std::string& bytes) {
    uint64_t value = 0;
    for (size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | static_cast<uint8_t>(bytes[i]);
    if constexpr (sizeof(T) < 8) {
        // Sign-extend from the payload's width.
        unsigned bits = static_cast<unsigned>(bytes.size() * 8);
        if (bits < 64 && (value >> (bits - 1) & 1)) value |= ~uint64_t{0} << bits;
    }
    return static_cast<T>(value);
}

class Dumper {
public:
    explicit Dumper(TReader& reader) : reader_(reader) {}

    // The root record; its children nest as deep as the reader takes them.
    Json Root() {
        try {
            return Component();
        } catch (const Exception& error) {
            throw DumpError(Where() + ": " + ExplainReaderMessage(error.Message()));
        }
    }

private:
    // Where the item being read began: its byte, its component and property.
    std::string Where() const {
        std::string where = "byte " + std::to_string(offset_);
        std::string path;
        for (const std::string& name : components_)
            path += (path.empty() ? "" : ".") + name;
        if (!path.empty()) where += ", component " + path;
        if (!property_.empty()) where += ", property \"" + property_ + "\"";
        return where;
    }

    Json Child() {
        Nesting nesting(*this);
        return Component();
    }

    Json Component() {
        offset_ = reader_.StreamOffset();
        property_.clear();
        Json component = Json::MakeObject();
        uint8_t first = reader_.PeekTag();
        Json prefix, position;
        const char* positionTag = nullptr;
        if (IsPrefixByte(first)) {
            reader_.TakeTag();
            prefix = Json::MakeInteger(first);
            if (first & pfHasPosition) position = TaggedInteger(positionTag);
        }
        component.Set("prefix", std::move(prefix));
        component.Set("flags", Json::MakeInteger(IsPrefixByte(first) ? first & 0x0F : 0));
        component.Set("position", std::move(position));
        if (positionTag) component.Set("position_tag", Json::MakeString(positionTag));
        std::string className = reader_.ReadShortText();
        std::string name = reader_.ReadShortText();
        NameField(component, "class", className);
        NameField(component, "name", name);
        components_.push_back(Utf16ToUtf8(ShiftJisToUtf16(name.empty() ? className : name)));
        component.Set("properties", ListUpToEnd([this] { return Property(); }));
        property_.clear();
        component.Set("children", ListUpToEnd([this] { return Child(); }));
        components_.pop_back();
        return component;
    }

    // At a list's end; where it is not, the next item starts here.
    bool AtEnd() {
        offset_ = reader_.StreamOffset();
        return reader_.AtListEnd();
    }

    // The items of a component's list, each read by item, and the list's end.
    template <class Item> Json ListUpToEnd(Item item) {
        Json list = Json::MakeArray();
        while (!AtEnd())
            list.Append(item());
        reader_.CloseList();
        return list;
    }

    // Counts one level of nesting; too deep a description is malformed.
    class Nesting {
    public:
        explicit Nesting(Dumper& dumper) : dumper_(dumper) {
            if (dumper_.depth_ >= TReader::MaxNesting)
                throw EReadError(LoadResString(SInvalidStreamFormat));
            ++dumper_.depth_;
        }
        ~Nesting() { --dumper_.depth_; }

    private:
        Dumper& dumper_;
    };

    // An integer value (tag and payload); wideTag names its tag when that is
    // wider than the value needs.
    Json TaggedInteger(const char*& wideTag) {
        uint8_t tag = reader_.PeekTag();
        int32_t value = reader_.ReadIntValue();
        wideTag = tag != SmallestIntegerTag(value) ? ValueTagName(tag) : nullptr;
        return Json::MakeInteger(value);
    }

    static void NameField(Json& owner, const std::string& key, const std::string& bytes) {
        std::u16string text = ShiftJisToUtf16(bytes);
        owner.Set(key, Json::MakeString(text));
        if (!RoundTrips(text, bytes))
            owner.Set(key + "_hex", Json::MakeString(HexOf(bytes.data(), bytes.size())));
    }

    static bool RoundTrips(const std::u16string& text, const std::string& bytes) {
        try {
            return Utf16ToShiftJis(text) == bytes;
        } catch (const JsonError&) {
            return false;
        }
    }

    // A text as {"text": ...}, or as {"hex": ...} when its bytes are no
    // Shift-JIS text that survives the conversion to UTF-8 and back.
    static Json Text(const std::string& bytes) {
        Json text = Json::MakeObject();
        std::u16string units = ShiftJisToUtf16(bytes);
        if (RoundTrips(units, bytes))
            text.Set("text", Json::MakeString(units));
        else
            text.Set("hex", Json::MakeString(HexOf(bytes.data(), bytes.size())));
        return text;
    }

    Json Property() {
        Json property = Json::MakeObject();
        property_.clear(); // until its path is read whole
        std::string path = reader_.ReadShortText();
        property_ = Utf16ToUtf8(ShiftJisToUtf16(path));
        NameField(property, "path", path);
        Value(property);
        return property;
    }

    std::string Bytes(int64_t size) { return reader_.ReadBytes(size); }

    // The tag and value of the next value into owner. The payload follows the
    // tag's low seven bits, as when the reader skips it; a tag the format does
    // not name is written as its number ("0x87"), one from 0x14 to 0x7F (also
    // with the high bit) has no payload.
    void Value(Json& owner) {
        offset_ = reader_.StreamOffset();
        uint8_t tag = reader_.TakeTag();
        uint8_t kind = tag & 0x7F;
        Json value;
        std::string hex;
        switch (kind) {
        case tgSigned8:
            value = Json::MakeInteger(LittleEndian<int8_t>(Bytes(1)));
            break;
        case tgSigned16:
            value = Json::MakeInteger(LittleEndian<int16_t>(Bytes(2)));
            break;
        case tgSigned32:
            value = Json::MakeInteger(LittleEndian<int32_t>(Bytes(4)));
            break;
        case tgSigned64:
        case tgFixed64:
            value = Json::MakeInteger(LittleEndian<int64_t>(Bytes(8)));
            break;
        case tgFloat80: {
            hex = Bytes(10);
            TExtended80 payload;
            std::memcpy(payload.data(), hex.data(), 10);
            value = Float(DecodeExtended80(payload));
            break;
        }
        case tgFloat32: {
            hex = Bytes(4);
            float number;
            std::memcpy(&number, hex.data(), 4); // the hosts that run formdump are little-endian
            value = Float(number);
            break;
        }
        case tgDateTime: {
            hex = Bytes(8);
            double number;
            std::memcpy(&number, hex.data(), 8);
            value = Float(number);
            break;
        }
        case tgShortText:
        case tgName:
            value = Text(reader_.ReadShortText());
            break;
        case tgLongText:
            value = Text(Bytes(reader_.ReadLength()));
            break;
        case tgWideText: {
            std::string bytes = Bytes(2 * static_cast<int64_t>(reader_.ReadLength()));
            std::u16string units(bytes.size() / 2, u'\0');
            for (size_t i = 0; i < units.size(); ++i)
                units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                                 static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
            value = Json::MakeString(units);
            break;
        }
        case tgBlob: {
            std::string bytes = Bytes(reader_.ReadLength());
            value = Json::MakeObject();
            value.Set("hex", Json::MakeString(HexOf(bytes.data(), bytes.size())));
            break;
        }
        case tgNameSet:
            value = Json::MakeArray();
            for (std::string member = reader_.ReadShortText(); !member.empty();
                 member = reader_.ReadShortText())
                value.Append(RoundTrips(ShiftJisToUtf16(member), member)
                                 ? Json::MakeString(ShiftJisToUtf16(member))
                                 : Text(member));
            break;
        case tgBoolFalse:
        case tgBoolTrue:
            value = Json::MakeBool(kind == tgBoolTrue);
            break;
        case tgValueList: {
            Nesting nesting(*this);
            value = Json::MakeArray();
            while (!reader_.AtListEnd()) {
                Json item = Json::MakeObject();
                Value(item);
                value.Append(std::move(item));
            }
            reader_.CloseList();
            break;
        }
        case tgItems:
            value = Items();
            break;
        default: // tgEnd, tgNone and the unnamed tags: the tag alone
            break;
        }
        const char* name = ValueTagName(tag);
        owner.Set("tag", Json::MakeString(name ? std::string(name) : NumberText("0x%02x", tag)));
        owner.Set("value", std::move(value));
        if (!hex.empty()) owner.Set("hex", Json::MakeString(HexOf(hex.data(), hex.size())));
    }

    // A finite number as JSON text that reads back to the same value; null otherwise.
    template <class T> static Json Float(T number) {
        if (!std::isfinite(number)) return Json();
        if constexpr (std::is_same_v<T, float>)
            return Json::MakeNumber(NumberText("%.9g", static_cast<double>(number)));
        else if constexpr (std::is_same_v<T, double>)
            return Json::MakeNumber(NumberText("%.17g", number));
        else
            return Json::MakeNumber(NumberText("%.21Lg", static_cast<long double>(number)));
    }

    // A collection's items; as when the reader skips them, the byte before
    // each item's properties is taken without looking at it.
    Json Items() {
        Nesting nesting(*this);
        Json items = Json::MakeArray();
        while (!reader_.AtListEnd()) {
            Json item = Json::MakeObject();
            const char* orderTag = nullptr;
            item.Set("order", IsIntegerTag(reader_.PeekTag()) ? TaggedInteger(orderTag) : Json());
            if (orderTag) item.Set("order_tag", Json::MakeString(orderTag));
            uint8_t opening = reader_.TakeTag();
            if (opening != tgValueList)
                item.Set("opening", Json::MakeString(NumberText("0x%02x", opening)));
            Json properties = Json::MakeArray();
            std::string owner = property_;
            while (!reader_.AtListEnd())
                properties.Append(Property());
            reader_.CloseList();
            property_ = owner;
            item.Set("properties", std::move(properties));
            items.Append(std::move(item));
        }
        reader_.CloseList();
        return items;
    }

    TReader& reader_;
    int depth_ = 0;
    int32_t offset_ = 0;
    std::vector<std::string> components_;
    std::string property_;
};

// The reader's messages formdump can meet, with what they mean in English.
struct KnownMessage {
    unsigned id;
    const char* english;
};
const KnownMessage knownMessages[] = {
    {SInvalidStreamFormat, "not a form description (no \"TPF0\" signature), or nested too deep"},
    {SReadError, "the description ends before the item is complete"},
    {SInvalidPropertyValue, "invalid property value"},
    {SInvalidPropertyPath, "invalid property path"},
    {SUnknownProperty, "no such property"},
    {SReadOnlyProperty, "the property is read-only"},
    {SClassNotFound, "class not found"},
    {SAncestorNotFound, "inherited component not found"},
};

} // namespace

std::string ExplainReaderMessage(const std::string& message) {
    std::string text = Utf16ToUtf8(ShiftJisToUtf16(message));
    for (const KnownMessage& known : knownMessages) {
        // Formatted messages are recognised by their text before the first placeholder.
        std::string pattern = LoadResString(known.id);
        std::string fixed = pattern.substr(0, pattern.find('%'));
        bool matches = pattern.find('%') == std::string::npos ? message == pattern
                                                              : message.rfind(fixed, 0) == 0;
        if (matches)
            return "reader message " + std::to_string(known.id) + " (" + known.english +
                   "): " + text;
    }
    return "reader error: " + text;
}

Json DumpDescription(const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TReader reader(stream, TReader::DefaultChunkSize);
    try {
        reader.CheckMagic();
    } catch (const Exception& error) {
        std::string hint;
        if (!bytes.empty() && (bytes[0] == '{' || bytes[0] == '['))
            hint = "; it looks like JSON: compile it with --compile";
        if (bytes.empty()) hint = "; the file is empty";
        throw DumpError("byte 0: " + ExplainReaderMessage(error.Message()) + hint);
    }
    return Dumper(reader).Root();
}

} // namespace formdump
