// JSON to description, through the framework's writer.
#include "description.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/stream.h"
#include "framework/streaming/writer.h"
#include "runtime/exceptions.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace formdump {

namespace {

struct IntegerRange {
    int64_t min, max;
    int size;
};

IntegerRange RangeOf(uint8_t tag) {
    switch (tag) {
    case tgSigned8: return {-128, 127, 1};
    case tgSigned16: return {-32768, 32767, 2};
    case tgSigned32: return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 4};
    default: return {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), 8};
    }
}

std::string Quoted(const std::u16string& text) { return "\"" + Utf16ToUtf8(text) + "\""; }

class Compiler {
public:
    Compiler() : writer_(stream_) {}

    std::vector<uint8_t> Run(const Json& root) {
        writer_.WriteSignature();
        Component(root, 0);
        return stream_.Bytes();
    }

private:
    void Component(const Json& component, int depth) {
        if (depth > TReader::MaxNesting) throw JsonError("components nested too deep");
        std::u16string label = component.Find("name") ? component.At("name").AsString() : u"";
        try {
            const Json* prefix = component.Find("prefix");
            int64_t flags = component.Find("flags") ? component.At("flags").AsInteger() : 0;
            if (flags < 0 || flags > 15) throw JsonError("\"flags\" must be 0 to 15");
            int64_t byte = prefix && !prefix->IsNull() ? prefix->AsInteger() : flags ? 0xF0 | flags : -1;
            if (byte != -1) {
                if (byte < 0xF0 || byte > 0xFF) throw JsonError("\"prefix\" must be 240 to 255");
                if ((byte & 0x0F) != flags) throw JsonError("\"flags\" differ from the prefix's low four bits");
                uint8_t prefixByte = static_cast<uint8_t>(byte);
                writer_.WriteBytes(&prefixByte, 1);
                if (byte & pfHasPosition) TaggedInteger(component, "position", "position_tag");
            }
            std::string className = Name(component, "class");
            // Without a prefix, a length byte of 0xF0 or more would be read as one.
            if (byte == -1 && className.size() >= 0xF0)
                throw JsonError("a class name of 240 bytes or more needs a \"prefix\"");
            writer_.WriteShortText(className);
            writer_.WriteShortText(Name(component, "name"));
            for (const Json& property : component.At("properties").AsArray()) Property(property, depth);
            writer_.WriteListEnd();
            for (const Json& child : component.At("children").AsArray()) Component(child, depth + 1);
            writer_.WriteListEnd();
        } catch (const JsonError& error) {
            if (std::string(error.what()).rfind("component ", 0) == 0) throw;
            throw JsonError("component " + Quoted(label) + ": " + error.what());
        } catch (const Exception& error) {
            throw JsonError("component " + Quoted(label) + ": " + Utf16ToUtf8(ShiftJisToUtf16(error.Message())));
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
        if (tag == tgSigned64) tag = tgSigned32;  // positions and orders are 32-bit: reported as not fitting
        if (const Json* named = owner.Find(tagKey)) tag = Tag(*named);
        if (tag != tgSigned8 && tag != tgSigned16 && tag != tgSigned32)
            throw JsonError(std::string("\"") + tagKey + "\" must be an integer tag");
        Integer(tag, value);
    }

    void Integer(uint8_t tag, int64_t value) {
        IntegerRange range = RangeOf(tag);
        if (value < range.min || value > range.max)
            throw JsonError(std::to_string(value) + " does not fit " + ValueTagName(tag));
        writer_.WriteTag(static_cast<TValueTag>(tag));
        writer_.WriteLittleEndian(static_cast<uint64_t>(value), range.size);
    }

    static uint8_t Tag(const Json& name) {
        std::string text = Utf16ToUtf8(name.AsString());
        auto tag = ValueTagByName(text);
        if (!tag) throw JsonError("unknown tag \"" + text + "\"");
        return *tag;
    }

    void Property(const Json& property, int depth) {
        std::string path = Name(property, "path");
        try {
            if (path.empty()) throw JsonError("a property path cannot be empty");
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
        if (bytes.size() != size) throw JsonError("\"hex\" must hold " + std::to_string(size) + " bytes");
        std::memcpy(out, bytes.data(), size);
        return true;
    }

    static std::string Text(const Json& value) {
        if (value.kind() == Json::String) return Utf16ToShiftJis(value.AsString());
        if (const Json* hex = value.Find("hex")) return BytesOfHex(hex->AsString());
        return Utf16ToShiftJis(value.At("text").AsString());
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
    void Value(const Json& owner, int depth) {
        uint8_t tag = Tag(owner.At("tag"));
        static const Json null;
        const Json* found = owner.Find("value");
        const Json& value = found ? *found : null;
        switch (tag) {
        case tgSigned8:
        case tgSigned16:
        case tgSigned32:
        case tgSigned64:
        case tgFixed64:
            Integer(tag, value.AsInteger());
            break;
        case tgFloat80: {
            TExtended80 payload;
            if (!HexPayload(owner, payload.size(), payload.data()))
                payload = EncodeExtended80(std::strtold(value.NumberText().c_str(), nullptr));
            writer_.WriteFloat80(payload);
            break;
        }
        case tgFloat32: {
            uint8_t payload[4];
            float number;
            if (!HexPayload(owner, 4, payload)) {
                number = static_cast<float>(value.AsDouble());
                std::memcpy(payload, &number, 4);
            }
            writer_.WriteTag(tgFloat32);
            writer_.WriteBytes(payload, 4);
            break;
        }
        case tgDateTime: {
            uint8_t payload[8];
            if (!HexPayload(owner, 8, payload)) {
                double number = value.AsDouble();
                std::memcpy(payload, &number, 8);
            }
            writer_.WriteTag(tgDateTime);
            writer_.WriteBytes(payload, 8);
            break;
        }
        case tgShortText:
        case tgName:
            writer_.WriteTag(static_cast<TValueTag>(tag));
            ShortText(Text(value));
            break;
        case tgLongText: {
            std::string text = Text(value);
            writer_.WriteTag(tgLongText);
            writer_.WriteLittleEndian(text.size(), 4);
            writer_.WriteBytes(text.data(), text.size());
            break;
        }
        case tgWideText:
            writer_.WriteWideText(value.AsString());
            break;
        case tgBlob: {
            std::string bytes = BytesOfHex(value.At("hex").AsString());
            writer_.WriteBlob(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
            break;
        }
        case tgNameSet:
            writer_.WriteTag(tgNameSet);
            for (const Json& member : value.AsArray()) {
                std::string name = Text(member);
                if (name.empty()) throw JsonError("a set member cannot be empty");
                ShortText(name);
            }
            writer_.WriteListEnd();
            break;
        case tgBoolFalse:
        case tgBoolTrue:
            if (!value.IsNull() && value.AsBool() != (tag == tgBoolTrue))
                throw JsonError("the value differs from the tag");
            writer_.WriteTag(static_cast<TValueTag>(tag));
            break;
        case tgNone:
        case tgEnd:
            if (!value.IsNull()) throw JsonError(std::string(ValueTagName(tag)) + " takes the value null");
            writer_.WriteTag(static_cast<TValueTag>(tag));
            break;
        case tgValueList:
            OpenLevel(depth);
            writer_.WriteTag(tgValueList);
            for (const Json& item : value.AsArray()) Value(item, depth + 1);
            writer_.WriteListEnd();
            break;
        case tgItems:
            OpenLevel(depth);
            writer_.WriteTag(tgItems);
            for (const Json& item : value.AsArray()) {
                if (const Json* order = item.Find("order"); order && !order->IsNull())
                    TaggedInteger(item, "order", "order_tag");
                writer_.WriteTag(tgValueList);
                for (const Json& property : item.At("properties").AsArray()) Property(property, depth + 1);
                writer_.WriteListEnd();
            }
            writer_.WriteListEnd();
            break;
        }
    }

    TMemoryStream stream_;
    TWriter writer_;
};

}  // namespace

std::vector<uint8_t> CompileDescription(const Json& document) { return Compiler().Run(document); }

}  // namespace formdump
