// A writer of form descriptions, value by value, following the format's
// encoding choices: an integer takes the smallest tag that holds it, a text
// of at most 255 bytes is a short text and a longer one a long text.
#pragma once

#include "framework/streaming/format.h"
#include "runtime/object.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class TStream;

class TWriter : public TObject {
public:
    DECLARE_CLASS_INFO()

    explicit TWriter(TStream& target) : FTarget(&target) {}

    // "TPF0".
    void WriteSignature();
    // A record's prefix byte (only when flags or a position are given) and,
    // with pfHasPosition, the position.
    void WritePrefix(TPrefixFlags flags, int32_t position = 0);
    // A record's header: prefix as above, class name and component name.
    // EWriteError for a class name of 240 bytes or more without a prefix,
    // which the format cannot carry.
    void WriteHeader(std::string_view className, std::string_view name, TPrefixFlags flags = 0,
                     int32_t position = 0);
    // A length byte and the bytes, without a tag; EWriteError beyond 255 bytes.
    void WriteShortText(std::string_view text);
    // A property record's path (WriteShortText); the value follows.
    void WritePropertyPath(std::string_view path) { WriteShortText(path); }
    void WriteTag(TValueTag tag);
    // The terminator of a list (tgEnd).
    void WriteListEnd() { WriteTag(tgEnd); }

    void WriteInteger(int64_t value);       // tgSigned8/16/32, tgSigned64 beyond 32 bits
    void WriteInt64(int64_t value);         // always tgSigned64
    void WriteText(std::string_view text);  // tgShortText or tgLongText
    void WriteName(std::string_view ident); // tgName
    void WriteBoolean(bool value);
    void WriteFloat(TExtended value);               // tgFloat80
    void WriteFloat80(const TExtended80& bytes);    // tgFloat80, the payload as given
    void WriteSingle(float value);                  // tgFloat32
    void WriteCurrency(int64_t amountTimes10000);   // tgFixed64
    void WriteDate(double days);                    // tgDateTime
    void WriteWideText(std::u16string_view text);   // tgWideText
    void WriteBlob(std::span<const uint8_t> bytes); // tgBlob
    // tgNameSet with the member names and the closing empty name.
    void WriteNameSet(std::span<const std::string> names);

    // Raw bytes (payloads of values written tag by tag).
    void WriteBytes(const void* bytes, size_t count);
    void WriteLittleEndian(uint64_t value, int size);

private:
    TStream* FTarget;
};
