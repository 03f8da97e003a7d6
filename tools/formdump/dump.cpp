// Description to JSON: the description is read with the reader's own tag-level
// operations, so malformed input fails with the reader's messages.
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

bool IsIntegerTag(uint8_t tag) { return tag == tgSigned8 || tag == tgSigned16 || tag == tgSigned32; }

template <class T> std::string NumberText(const char* format, T value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

class Dumper {
public:
    explicit Dumper(TReader& reader) : reader_(reader) {}

    // The root record; its children nest as deep as the reader takes them.
    Json Root() { return Component(); }

private:
    Json Child() {
        Nesting nesting(*this);
        return Component();
    }

    Json Component() {
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
        NameField(component, "class", reader_.ReadShortText());
        NameField(component, "name", reader_.ReadShortText());
        Json properties = Json::MakeArray();
        while (!reader_.AtListEnd()) properties.Append(Property());
        reader_.CloseList();
        component.Set("properties", std::move(properties));
        Json children = Json::MakeArray();
        while (!reader_.AtListEnd()) children.Append(Child());
        reader_.CloseList();
        component.Set("children", std::move(children));
        return component;
    }

private:
    // Counts one level of nesting; too deep a description is malformed.
    class Nesting {
    public:
        explicit Nesting(Dumper& dumper) : dumper_(dumper) {
            if (dumper_.depth_ >= TReader::MaxNesting) throw EReadError(LoadResString(SInvalidStreamFormat));
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
        if (!RoundTrips(text, bytes)) owner.Set(key + "_hex", Json::MakeString(HexOf(bytes.data(), bytes.size())));
    }

    static bool RoundTrips(const std::u16string& text, const std::string& bytes) {
        try {
            return Utf16ToShiftJis(text) == bytes;
        } catch (const JsonError&) {
            return false;
        }
    }

    static Json Text(const std::string& bytes) {
        Json text = Json::MakeObject();
        text.Set("hex", Json::MakeString(HexOf(bytes.data(), bytes.size())));
        text.Set("text", Json::MakeString(ShiftJisToUtf16(bytes)));
        return text;
    }

    Json Property() {
        Json property = Json::MakeObject();
        NameField(property, "path", reader_.ReadShortText());
        Value(property);
        return property;
    }

    std::string Payload(size_t size) {
        reader_.TakeTag();
        std::string bytes(size, '\0');
        reader_.TakeBytes(bytes.data(), static_cast<int64_t>(size));
        return bytes;
    }

    // The tag and value of the next value into owner.
    void Value(Json& owner) {
        uint8_t tag = reader_.PeekTag();
        const char* name = ValueTagName(tag);
        if (!name) throw EReadError(LoadResString(SInvalidPropertyValue));
        Json value;
        std::string hex;
        switch (tag) {
        case tgSigned8:
        case tgSigned16:
        case tgSigned32:
            value = Json::MakeInteger(reader_.ReadIntValue());
            break;
        case tgSigned64:
            value = Json::MakeInteger(reader_.ReadInt64Value());
            break;
        case tgFixed64:
            value = Json::MakeInteger(reader_.ReadCurrencyValue());
            break;
        case tgFloat80: {
            std::string bytes = Payload(10);
            TExtended80 payload;
            std::memcpy(payload.data(), bytes.data(), 10);
            value = Float(DecodeExtended80(payload));
            hex = bytes;
            break;
        }
        case tgFloat32: {
            std::string bytes = Payload(4);
            float number;
            std::memcpy(&number, bytes.data(), 4);  // the hosts that run formdump are little-endian
            value = Float(number);
            hex = bytes;
            break;
        }
        case tgDateTime: {
            std::string bytes = Payload(8);
            double number;
            std::memcpy(&number, bytes.data(), 8);
            value = Float(number);
            hex = bytes;
            break;
        }
        case tgShortText:
        case tgLongText:
            value = Text(reader_.ReadTextValue());
            break;
        case tgName:
            reader_.TakeTag();
            value = Text(reader_.ReadShortText());
            break;
        case tgWideText:
            value = Json::MakeString(reader_.ReadWideTextValue());
            break;
        case tgBlob: {
            reader_.TakeTag();
            std::string bytes = reader_.ReadBytes(reader_.ReadLength());
            value = Json::MakeObject();
            value.Set("hex", Json::MakeString(HexOf(bytes.data(), bytes.size())));
            break;
        }
        case tgNameSet:
            reader_.TakeTag();
            value = Json::MakeArray();
            for (std::string member = reader_.ReadShortText(); !member.empty(); member = reader_.ReadShortText())
                value.Append(RoundTrips(ShiftJisToUtf16(member), member) ? Json::MakeString(ShiftJisToUtf16(member))
                                                                          : Text(member));
            break;
        case tgBoolFalse:
        case tgBoolTrue:
            value = Json::MakeBool(reader_.TakeTag() == tgBoolTrue);
            break;
        case tgNone:
        case tgEnd:
            reader_.TakeTag();
            break;
        case tgValueList: {
            Nesting nesting(*this);
            reader_.TakeTag();
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
        }
        owner.Set("tag", Json::MakeString(name));
        owner.Set("value", std::move(value));
        if (tag == tgFloat80 || tag == tgFloat32 || tag == tgDateTime)
            owner.Set("hex", Json::MakeString(HexOf(hex.data(), hex.size())));
    }

    // A finite number as JSON text that reads back to the same value; null otherwise.
    template <class T> static Json Float(T number) {
        if (!std::isfinite(number)) return Json();
        if constexpr (std::is_same_v<T, float>) return Json::MakeNumber(NumberText("%.9g", static_cast<double>(number)));
        else if constexpr (std::is_same_v<T, double>) return Json::MakeNumber(NumberText("%.17g", number));
        else return Json::MakeNumber(NumberText("%.21Lg", static_cast<long double>(number)));
    }

    Json Items() {
        Nesting nesting(*this);
        reader_.TakeTag();
        Json items = Json::MakeArray();
        while (!reader_.AtListEnd()) {
            Json item = Json::MakeObject();
            const char* orderTag = nullptr;
            item.Set("order", IsIntegerTag(reader_.PeekTag()) ? TaggedInteger(orderTag) : Json());
            if (orderTag) item.Set("order_tag", Json::MakeString(orderTag));
            reader_.OpenList();
            Json properties = Json::MakeArray();
            while (!reader_.AtListEnd()) properties.Append(Property());
            reader_.CloseList();
            item.Set("properties", std::move(properties));
            items.Append(std::move(item));
        }
        reader_.CloseList();
        return items;
    }

    TReader& reader_;
    int depth_ = 0;
};

}  // namespace

Json DumpDescription(const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TReader reader(stream, TReader::DefaultChunkSize);
    reader.CheckMagic();
    return Dumper(reader).Root();
}

}  // namespace formdump
