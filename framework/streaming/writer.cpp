#include "framework/streaming/writer.h"

#include "framework/streaming/stream.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <cstring>
#include <limits>

constinit const TClass TWriter::ClassInfo = MakeClass<TWriter>("TWriter", &TObject::ClassInfo);

void TWriter::WriteBytes(const void* bytes, size_t count) {
    auto* data = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        int32_t step =
            static_cast<int32_t>(std::min<size_t>(count, std::numeric_limits<int32_t>::max()));
        FTarget->WriteBuffer(data, step);
        data += step;
        count -= static_cast<size_t>(step);
    }
}

void TWriter::WriteLittleEndian(uint64_t value, int size) {
    uint8_t bytes[8];
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    WriteBytes(bytes, static_cast<size_t>(size));
}

void TWriter::WriteSignature() {
    WriteBytes(StreamMagic.data(), StreamMagic.size());
}

void TWriter::WritePrefix(TPrefixFlags flags, int32_t position) {
    if (flags == 0) return;
    uint8_t prefix = MakePrefixByte(flags);
    WriteBytes(&prefix, 1);
    if (flags & pfHasPosition) WriteInteger(position);
}

void TWriter::WriteHeader(std::string_view className, std::string_view name, TPrefixFlags flags,
                          int32_t position) {
    // Without a prefix, the class name's length byte starts the record, and a
    // length of 240 or more would be read as a prefix byte.
    if (flags == 0 && className.size() >= 0xF0) throw EWriteError(LoadResString(SWriteError));
    WritePrefix(flags, position);
    WriteShortText(className);
    WriteShortText(name);
}

void TWriter::WriteShortText(std::string_view text) {
    if (text.size() > 255) throw EWriteError(LoadResString(SWriteError));
    uint8_t length = static_cast<uint8_t>(text.size());
    WriteBytes(&length, 1);
    WriteBytes(text.data(), text.size());
}

void TWriter::WriteTag(TValueTag tag) {
    uint8_t byte = tag;
    WriteBytes(&byte, 1);
}

void TWriter::WriteInteger(int64_t value) {
    TValueTag tag = SmallestIntegerTag(value);
    WriteTag(tag);
    WriteLittleEndian(static_cast<uint64_t>(value), tag == tgSigned8    ? 1
                                                    : tag == tgSigned16 ? 2
                                                    : tag == tgSigned32 ? 4
                                                                        : 8);
}

void TWriter::WriteInt64(int64_t value) {
    WriteTag(tgSigned64);
    WriteLittleEndian(static_cast<uint64_t>(value), 8);
}

void TWriter::WriteText(std::string_view text) {
    if (text.size() <= 255) {
        WriteTag(tgShortText);
        WriteShortText(text);
        return;
    }
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EWriteError(LoadResString(SWriteError));
    WriteTag(tgLongText);
    WriteLittleEndian(text.size(), 4);
    WriteBytes(text.data(), text.size());
}

void TWriter::WriteName(std::string_view ident) {
    WriteTag(tgName);
    WriteShortText(ident);
}

void TWriter::WriteBoolean(bool value) {
    WriteTag(value ? tgBoolTrue : tgBoolFalse);
}

void TWriter::WriteFloat(TExtended value) {
    WriteFloat80(EncodeExtended80(value));
}

void TWriter::WriteFloat80(const TExtended80& bytes) {
    WriteTag(tgFloat80);
    WriteBytes(bytes.data(), bytes.size());
}

void TWriter::WriteSingle(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    WriteTag(tgFloat32);
    WriteLittleEndian(bits, 4);
}

void TWriter::WriteCurrency(int64_t amountTimes10000) {
    WriteTag(tgFixed64);
    WriteLittleEndian(static_cast<uint64_t>(amountTimes10000), 8);
}

void TWriter::WriteDate(double days) {
    uint64_t bits;
    std::memcpy(&bits, &days, 8);
    WriteTag(tgDateTime);
    WriteLittleEndian(bits, 8);
}

void TWriter::WriteWideText(std::u16string_view text) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EWriteError(LoadResString(SWriteError));
    WriteTag(tgWideText);
    WriteLittleEndian(text.size(), 4);
    for (char16_t unit : text)
        WriteLittleEndian(unit, 2);
}

void TWriter::WriteBlob(std::span<const uint8_t> bytes) {
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EWriteError(LoadResString(SWriteError));
    WriteTag(tgBlob);
    WriteLittleEndian(bytes.size(), 4);
    WriteBytes(bytes.data(), bytes.size());
}

void TWriter::WriteNameSet(std::span<const std::string> names) {
    WriteTag(tgNameSet);
    for (const std::string& name : names) {
        // An empty name would end the set early.
        if (name.empty()) throw EWriteError(LoadResString(SWriteError));
        WriteShortText(name);
    }
    WriteShortText("");
}
