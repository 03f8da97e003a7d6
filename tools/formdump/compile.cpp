// JSON to description, through the framework's writer.
#include "description.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/stream.h"
#include "framework/streaming/writer.h"
#include "names.h"
#include "runtime/exceptions.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

namespace formdump {

namespace {

struct IntegerRange {
    int64_t min, max;
    int size;
};

IntegerRange RangeOf(uint8_t tag) {
    switch (tag) {
    case tgSigned8:
        return {-128, 127, 1};
    case tgSigned16:
        return {-32768, 32767, 2};
    case tgSigned32:
        return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 4};
    default:
        return {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), 8};
    }
}

std::string Quoted(const std::u16string& text) {
    return "\"" + Utf16ToUtf8(text) + "\"";
}

// A tag by name ("tgName") or number ("0x87", 135).
uint8_t Tag(const Json& name) {
    if (name.kind() == Json::Number) {
        int64_t number = name.AsInteger();
        if (number < 0 || number > 255)
            throw JsonError("a tag is a byte, not " + std::to_string(number));
        return static_cast<uint8_t>(number);
    }
    std::string text = Utf16ToUtf8(name.AsString());
    if (auto tag = ValueTagByName(text)) return *tag;
    if (text.size() == 4 && text.rfind("0x", 0) == 0) {
        std::string byte = BytesOfHex(Utf8ToUtf16(text.substr(2)));
        return static_cast<uint8_t>(byte[0]);
    }
    throw JsonError("unknown tag \"" + text + "\"");
}

} // namespace

std::string TextOf(const Json& value) {
    if (value.kind() == Json::String) return Utf16ToShiftJis(value.AsString());
    const Json* hex = value.Find("hex");
    const Json* text = value.Find("text");
    if (!hex) return Utf16ToShiftJis(value.At("text").AsString());
    std::string bytes = BytesOfHex(hex->AsString());
    if (text) {
        bool agree = false;
        try {
            agree = Utf16ToShiftJis(text->AsString()) == bytes;
        } catch (const JsonError&) {
        }
        if (!agree)
            throw JsonError("line " + std::to_string(value.Line()) +
                            ": \"text\" and \"hex\" differ; edit \"text\" and remove \"hex\" (or "
                            "give one of them)");
    }
    return bytes;
}

namespace {

class Compiler {
public:
    explicit Compiler(const CompileChecks& checks) : writer_(stream_) {
        if (checks.names) names_.emplace(checks);
    }

    std::vector<uint8_t> Run(const Json& root) {
        writer_.WriteSignature();
        Component(root, 0, nullptr);
        return stream_.Bytes();
    }

private:
    void Component(const Json& component, int depth, const TClass* root) {
        if (depth > TReader::MaxNesting) throw JsonError("components nested too deep");
        std::u16string label = component.Find("name") ? component.At("name").AsString() : u"";
        try {
            const Json* prefix = component.Find("prefix");
            int64_t flags = component.Find("flags") ? component.At("flags").AsInteger() : 0;
            if (flags < 0 || flags > 15) throw JsonError("\"flags\" must be 0 to 15");
            int64_t byte = prefix && !prefix->IsNull() ? prefix->AsInteger()
                           : flags                     ? 0xF0 | flags
                                                       : -1;
            if (byte != -1) {
                if (byte < 0xF0 || byte > 0xFF) throw JsonError("\"prefix\" must be 240 to 255");
                if ((byte & 0x0F) != flags)
                    throw JsonError("\"flags\" differ from the prefix's low four bits");
                uint8_t prefixByte = static_cast<uint8_t>(byte);
                writer_.WriteBytes(&prefixByte, 1);
                if (byte & pfHasPosition) TaggedInteger(component, "position", "position_tag");
            }
            std::string className = Name(component, "class");
            const TClass* cls =
                names_ ? names_->ComponentClass(component.At("class"), className, root) : nullptr;
            if (depth == 0) root = cls;
            // Without a prefix, a length byte of 0xF0 or more would be read as one.
            if (byte == -1 && className.size() >= 0xF0)
                throw JsonError("a class name of 240 bytes or more needs a \"prefix\"");
            writer_.WriteShortText(className);
            writer_.WriteShortText(Name(component, "name"));
            for (const Json& property : component.At("properties").AsArray())
                Property(property, depth, cls, root);
            writer_.WriteListEnd();
            for (const Json& child : component.At("children").AsArray())
                Component(child, depth + 1, root);
            writer_.WriteListEnd();
        } catch (const JsonError& error) {
            if (std::string(error.what()).rfind("component ", 0) == 0) throw;
            throw JsonError("component " + Quoted(label) + ": " + error.what());
        } catch (const Exception& error) {
            throw JsonError("component " + Quoted(label) + ": " +
                            Utf16ToUtf8(ShiftJisToUtf16(error.Message())));
        }
    }

    // The bytes of a name: "<key>_hex" when given, else the text in Shift-JIS.
    static std::string Name(const Json& owner, const std::string& key) {
        if (const Json* hex = owner.Find(key + "_hex")) return BytesOfHex(hex->AsString());
        return Utf16ToShiftJis(owner.At(key).AsString());
    }

    void TaggedInteger(const Json& owner, const char* key, const char* tagKey) {
        int64_t value = owner.At(key).AsInteger();
        uint8_t tag = SmallestIntegerTag(value);
        if (tag == tgSigned64)
            tag = tgSigned32; // positions and orders are 32-bit: reported as not fitting
        if (const Json* named = owner.Find(tagKey)) tag = Tag(*named);
        if (tag != tgSigned8 && tag != tgSigned16 && tag != tgSigned32)
            throw JsonError(std::string("\"") + tagKey + "\" must be an integer tag");
        Integer(tag, value);
    }

    // An integer of the tag's width; rawTag, when given, is the tag byte
    // written (the tag with its high bit set, which skips as the tag).
    void Integer(uint8_t tag, int64_t value, int rawTag = -1) {
        IntegerRange range = RangeOf(tag);
        if (value < range.min || value > range.max)
            throw JsonError(std::to_string(value) + " does not fit " + ValueTagName(tag));
        uint8_t byte = static_cast<uint8_t>(rawTag >= 0 ? rawTag : tag);
        writer_.WriteBytes(&byte, 1);
        writer_.WriteLittleEndian(static_cast<uint64_t>(value), range.size);
    }

    // A property record of a component of class cls (null when unknown or unchecked).
    void Property(const Json& property, int depth, const TClass* cls = nullptr,
                  const TClass* root = nullptr) {
        std::string path = Name(property, "path");
        try {
            if (path.empty()) throw JsonError("a property path cannot be empty");
            if (names_) {
                static const Json null;
                const Json* value = property.Find("value");
                names_->Property(cls, root, property, path, Tag(property.At("tag")),
                                 value ? *value : null);
            }
            writer_.WriteShortText(path);
            Value(property, depth);
        } catch (const JsonError& error) {
            throw JsonError("property " + Quoted(ShiftJisToUtf16(path)) + ": " + error.what());
        }
    }

    // A payload from "hex" (preferred) of exactly size bytes.
    static bool HexPayload(const Json& owner, size_t size, void* out) {
        const Json* hex = owner.Find("hex");
        if (!hex) return false;
        std::string bytes = BytesOfHex(hex->AsString());
        if (bytes.size() != size)
            throw JsonError("\"hex\" must hold " + std::to_string(size) + " bytes");
        std::memcpy(out, bytes.data(), size);
        return true;
    }

    void ShortText(const std::string& text) {
        if (text.size() > 255) throw JsonError("a short text holds at most 255 bytes");
        writer_.WriteShortText(text);
    }

    // A value list or collection is one more level of nesting, as a child is;
    // the reader refuses more than MaxNesting levels in all.
    static void OpenLevel(int depth) {
        if (depth + 1 > TReader::MaxNesting) throw JsonError("values nested too deep");
    }

    // A value at depth levels of nesting.
    void Payload(uint64_t value, int size) { writer_.WriteLittleEndian(value, size); }

    // The tag byte as given, then the payload of its low seven bits (a tag
    // from 0x14 to 0x7F has none), as the reader skips it.
    void Value(const Json& owner, int depth) {
        uint8_t tag = Tag(owner.At("tag"));
        uint8_t kind = tag & 0x7F;
        static const Json null;
        const Json* found = owner.Find("value");
        const Json& value = found ? *found : null;
        if (kind == tgSigned8 || kind == tgSigned16 || kind == tgSigned32 || kind == tgSigned64 ||
            kind == tgFixed64) {
            Integer(kind, value.AsInteger(), tag);
            return;
        }
        writer_.WriteBytes(&tag, 1);
        switch (kind) {
        case tgFloat80: {
            TExtended80 payload;
            if (!HexPayload(owner, payload.size(), payload.data()))
                payload = EncodeExtended80(std::strtold(value.NumberText().c_str(), nullptr));
            writer_.WriteBytes(payload.data(), payload.size());
            break;
        }
        case tgFloat32: {
            uint8_t payload[4];
            float number;
            if (!HexPayload(owner, 4, payload)) {
                number = static_cast<float>(value.AsDouble());
                std::memcpy(payload, &number, 4);
            }
            writer_.WriteBytes(payload, 4);
            break;
        }
        case tgDateTime: {
            uint8_t payload[8];
            if (!HexPayload(owner, 8, payload)) {
                double number = value.AsDouble();
                std::memcpy(payload, &number, 8);
            }
            writer_.WriteBytes(payload, 8);
            break;
        }
        case tgShortText:
        case tgName:
            ShortText(TextOf(value));
            break;
        case tgLongText: {
            std::string text = TextOf(value);
            Payload(text.size(), 4);
            writer_.WriteBytes(text.data(), text.size());
            break;
        }
        case tgWideText: {
            const std::u16string& units = value.AsString();
            Payload(units.size(), 4);
            for (char16_t unit : units)
                Payload(unit, 2);
            break;
        }
        case tgBlob: {
            std::string bytes = BytesOfHex(value.At("hex").AsString());
            Payload(bytes.size(), 4);
            writer_.WriteBytes(bytes.data(), bytes.size());
            break;
        }
        case tgNameSet:
            for (const Json& member : value.AsArray()) {
                std::string name = TextOf(member);
                if (name.empty()) throw JsonError("a set member cannot be empty");
                ShortText(name);
            }
            writer_.WriteListEnd();
            break;
        case tgBoolFalse:
        case tgBoolTrue:
            if (!value.IsNull() && value.AsBool() != (kind == tgBoolTrue))
                throw JsonError("the value differs from the tag");
            break;
        case tgValueList:
            OpenLevel(depth);
            for (const Json& item : value.AsArray())
                Value(item, depth + 1);
            writer_.WriteListEnd();
            break;
        case tgItems:
            OpenLevel(depth);
            for (const Json& item : value.AsArray()) {
                if (const Json* order = item.Find("order"); order && !order->IsNull())
                    TaggedInteger(item, "order", "order_tag");
                uint8_t opening =
                    item.Find("opening") ? Tag(item.At("opening")) : uint8_t{tgValueList};
                writer_.WriteBytes(&opening, 1);
                for (const Json& property : item.At("properties").AsArray())
                    Property(property, depth + 1);
                writer_.WriteListEnd();
            }
            writer_.WriteListEnd();
            break;
        default: // tgEnd, tgNone and the unnamed tags: the tag alone
            if (!value.IsNull())
                throw JsonError("tag " + Utf16ToUtf8(owner.At("tag").AsString()) +
                                " takes the value null");
            break;
        }
    }

    TMemoryStream stream_;
    TWriter writer_;
    std::optional<NameChecker> names_;
};

} // namespace

std::vector<uint8_t> CompileDescription(const Json& document, const CompileChecks& checks) {
    return Compiler(checks).Run(document);
}

} // namespace formdump
