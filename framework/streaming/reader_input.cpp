// The reader's buffered input: tag-level reading, the value readers and skipping.
#include "framework/streaming/reader.h"

#include "framework/streaming/stream.h"
#include "framework/streaming/streaming_module.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <algorithm>
#include <cstring>
#include <optional>

constinit const TClass TFiler::ClassInfo = MakeClass<TFiler>("TFiler", &TObject::ClassInfo);
constinit const TClass TReader::ClassInfo = MakeClass<TReader>("TReader", &TFiler::ClassInfo);

namespace {

[[noreturn]] void RaiseReadError() {
    throw EReadError(LoadResString(SReadError));
}

template <class T> T LittleEndian(const uint8_t* bytes) {
    uint64_t value = 0;
    for (size_t i = sizeof(T); i-- > 0;)
        value = (value << 8) | bytes[i];
    T result;
    if constexpr (sizeof(T) == 8) {
        std::memcpy(&result, &value, 8);
    } else {
        auto narrow =
            static_cast<std::conditional_t<sizeof(T) == 4, uint32_t,
                                           std::conditional_t<sizeof(T) == 2, uint16_t, uint8_t>>>(
                value);
        std::memcpy(&result, &narrow, sizeof(T));
    }
    return result;
}

bool IsIntegerTag(uint8_t tag) {
    return tag == tgSigned8 || tag == tgSigned16 || tag == tgSigned32;
}

} // namespace

TReader::TNesting::TNesting(TReader& reader) : FReader(reader) {
    if (FReader.FNesting >= MaxNesting) throw EReadError(LoadResString(SInvalidStreamFormat));
    ++FReader.FNesting;
}

TFiler::TFiler(TStream& source, int32_t chunkSize)
    : FSource(&source), FChunk(new uint8_t[static_cast<size_t>(std::max(chunkSize, 1))]),
      FChunkSize(std::max(chunkSize, 1)) {
    InstallComponentStreaming();
}

TFiler::~TFiler() {
    try {
        if (FChunkEnd != FChunkPos) FSource->Seek(FChunkPos - FChunkEnd, soCurrent);
    } catch (...) {
        // A destructor must not raise; the stream keeps its position.
    }
}

void TFiler::AssignRoot(TComponent* root) {
    FRootComponent = root;
}

TReader::TReader(TStream& source, int32_t chunkSize) : TFiler(source, chunkSize) {}

TReader::~TReader() = default;

void TReader::Refill() {
    int32_t received = FSource->Read(FChunk.get(), FChunkSize);
    FChunkEnd = std::max(received, 0);
    FChunkPos = 0;
    if (FChunkEnd == 0) RaiseReadError();
}

void TReader::TakeBytes(void* destination, int64_t count) {
    auto* out = static_cast<uint8_t*>(destination);
    while (count > 0) {
        int32_t available = FChunkEnd - FChunkPos;
        if (available <= 0) {
            Refill();
            available = FChunkEnd;
        }
        int32_t step = static_cast<int32_t>(std::min<int64_t>(available, count));
        std::memcpy(out, FChunk.get() + FChunkPos, static_cast<size_t>(step));
        FChunkPos += step;
        out += step;
        count -= step;
    }
}

void TReader::SkipBytes(int64_t count) {
    while (count > 0) {
        int64_t step = std::min<int64_t>(count, sizeof FScratch);
        TakeBytes(FScratch, step);
        count -= step;
    }
}

int32_t TReader::ReadLength() {
    uint8_t bytes[4];
    TakeBytes(bytes, 4);
    int32_t length = LittleEndian<int32_t>(bytes);
    if (length < 0) RaiseReadError();
    return length;
}

std::string TReader::ReadBytes(int64_t count) {
    // The text grows as its bytes arrive, so a length field larger than the
    // stream ends with the stream read error instead of a huge allocation.
    constexpr int64_t piece = 64 * 1024;
    std::string text;
    while (static_cast<int64_t>(text.size()) < count) {
        size_t done = text.size();
        size_t step =
            static_cast<size_t>(std::min<int64_t>(piece, count - static_cast<int64_t>(done)));
        text.resize(done + step);
        TakeBytes(text.data() + done, static_cast<int64_t>(step));
    }
    return text;
}

uint8_t TReader::TakeTag() {
    uint8_t tag;
    TakeBytes(&tag, 1);
    return tag;
}

uint8_t TReader::PeekTag() {
    uint8_t tag = TakeTag();
    StepBack();
    return tag;
}

void TReader::RaiseInvalidValue() {
    throw EReadError(LoadResString(SInvalidPropertyValue));
}

void TReader::RaiseWrongTag() {
    // The tag was just taken: step back over it and skip the whole value, so
    // that an error OnReadError accepts leaves the reader at the next record.
    StepBack();
    SkipAnyValue();
    RaiseInvalidValue();
}

void TReader::ExpectTag(uint8_t tag) {
    if (TakeTag() != tag) RaiseWrongTag();
}

bool TReader::AtListEnd() {
    return PeekTag() == tgEnd;
}

void TReader::CheckMagic() {
    uint8_t signature[4];
    TakeBytes(signature, 4);
    if (std::memcmp(signature, StreamMagic.data(), 4) != 0)
        throw EReadError(LoadResString(SInvalidStreamFormat));
}

int32_t TReader::StreamOffset() {
    return static_cast<int32_t>(FSource->Position() - (FChunkEnd - FChunkPos));
}

void TReader::Resync() {
    FSource->SetPosition(StreamOffset());
    FChunkPos = FChunkEnd = 0;
}

void TReader::ReadHeaderFlags(TPrefixFlags& flags, int32_t& position) {
    flags = 0;
    if (!IsPrefixByte(PeekTag())) return;
    flags = TakeTag() & 0x0F;
    if (flags & pfHasPosition) position = ReadIntValue();
}

std::string TReader::ReadShortText() {
    uint8_t length = TakeTag();
    std::string text(length, '\0');
    TakeBytes(text.data(), length);
    return text;
}

int32_t TReader::ReadIntValue() {
    uint8_t bytes[4];
    switch (TakeTag()) {
    case tgSigned8:
        TakeBytes(bytes, 1);
        return LittleEndian<int8_t>(bytes);
    case tgSigned16:
        TakeBytes(bytes, 2);
        return LittleEndian<int16_t>(bytes);
    case tgSigned32:
        TakeBytes(bytes, 4);
        return LittleEndian<int32_t>(bytes);
    default:
        RaiseWrongTag();
    }
}

int64_t TReader::ReadInt64Value() {
    if (PeekTag() != tgSigned64) return ReadIntValue();
    uint8_t bytes[8];
    TakeTag();
    TakeBytes(bytes, 8);
    return LittleEndian<int64_t>(bytes);
}

TExtended TReader::ReadFloatValue() {
    if (TakeTag() != tgFloat80) {
        StepBack();
        return ReadIntValue();
    }
    TExtended80 bytes;
    TakeBytes(bytes.data(), bytes.size());
    return DecodeExtended80(bytes);
}

float TReader::ReadSingleValue() {
    if (TakeTag() != tgFloat32) {
        StepBack();
        return static_cast<float>(ReadIntValue());
    }
    uint8_t bytes[4];
    TakeBytes(bytes, 4);
    return LittleEndian<float>(bytes);
}

int64_t TReader::ReadCurrencyValue() {
    if (TakeTag() != tgFixed64) {
        StepBack();
        return static_cast<int64_t>(ReadIntValue()) * 10000;
    }
    uint8_t bytes[8];
    TakeBytes(bytes, 8);
    return LittleEndian<int64_t>(bytes);
}

double TReader::ReadDateValue() {
    if (TakeTag() != tgDateTime) {
        StepBack();
        return ReadIntValue();
    }
    uint8_t bytes[8];
    TakeBytes(bytes, 8);
    return LittleEndian<double>(bytes);
}

uint8_t TReader::ReadCharValue() {
    ExpectTag(tgShortText);
    if (PeekTag() != 1) {
        ReadShortText();
        RaiseInvalidValue();
    }
    uint8_t text[2];
    TakeBytes(text, 2);
    return text[1];
}

bool TReader::ReadFlagValue() {
    return TakeTag() == tgBoolTrue;
}

std::string TReader::ReadTextValue() {
    switch (TakeTag()) {
    case tgShortText:
        return ReadShortText();
    case tgLongText:
        return ReadBytes(ReadLength());
    default:
        RaiseWrongTag();
    }
}

std::u16string TReader::ReadWideTextValue() {
    if (TakeTag() != tgWideText) RaiseWrongTag();
    std::string bytes = ReadBytes(2 * static_cast<int64_t>(ReadLength()));
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                        (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return text;
}

std::string TReader::ReadNameValue() {
    // Names dispatch on the tag's low seven bits.
    switch (TakeTag() & 0x7F) {
    case tgName:
        return ReadShortText();
    case tgBoolFalse:
        return "False";
    case tgBoolTrue:
        return "True";
    case tgNone:
        return "nil";
    case tgEnd:
        return "Null";
    default:
        RaiseWrongTag();
    }
}

uint32_t TReader::ReadSetValue(const TTypeInfo* elementType) {
    // A value of another kind is skipped whole; its payload holds no names.
    if (TakeTag() != tgNameSet) RaiseWrongTag();
    try {
        uint32_t mask = 0;
        for (std::string name = ReadShortText(); !name.empty(); name = ReadShortText()) {
            int ordinal = elementType ? elementType->MemberOrdinal(name) : -1;
            if (ordinal == -1) RaiseInvalidValue();
            // Only members 0 to 31 can be held; others are left out silently.
            if (ordinal >= 0 && ordinal <= 31) mask |= 1u << ordinal;
        }
        return mask;
    } catch (const Exception&) {
        SkipSetNames();
        throw;
    }
}

TVariant TReader::ReadVariantValue() {
    TVariant value;
    switch (PeekTag()) {
    case tgEnd:
    case tgNone:
        value.VarType = TakeTag() == tgEnd ? varNull : varEmpty;
        break;
    case tgSigned8:
        value.VarType = varByte;
        value.Integer = static_cast<uint8_t>(ReadIntValue());
        break;
    case tgSigned16:
        value.VarType = varSmallint;
        value.Integer = ReadIntValue();
        break;
    case tgSigned32:
        value.VarType = varInteger;
        value.Integer = ReadIntValue();
        break;
    case tgFloat80:
        value.VarType = varDouble;
        value.Real = static_cast<double>(ReadFloatValue());
        break;
    case tgShortText:
    case tgLongText:
        value.VarType = varString;
        value.Text = ReadTextValue();
        break;
    case tgBoolFalse:
    case tgBoolTrue:
        value.VarType = varBoolean;
        value.Integer = TakeTag() == tgBoolTrue ? -1 : 0;
        break;
    case tgFloat32:
        value.VarType = varSingle;
        value.Real = ReadSingleValue();
        break;
    case tgFixed64:
        value.VarType = varCurrency;
        value.Integer = ReadCurrencyValue();
        break;
    case tgDateTime:
        value.VarType = varDate;
        value.Real = ReadDateValue();
        break;
    case tgWideText:
        value.VarType = varOleStr;
        value.Wide = ReadWideTextValue();
        break;
    default:
        // Skipped first, so that a handled error goes on at the next record.
        SkipAnyValue();
        RaiseReadError();
    }
    return value;
}

void TReader::SkipSetNames() {
    while (!ReadShortText().empty()) {
    }
}

void TReader::SkipAnyValue() {
    switch (TakeTag() & 0x7F) {
    case tgValueList: {
        TNesting nesting(*this);
        while (!AtListEnd())
            SkipAnyValue();
        CloseList();
        break;
    }
    case tgSigned8:
        SkipBytes(1);
        break;
    case tgSigned16:
        SkipBytes(2);
        break;
    case tgSigned32:
    case tgFloat32:
        SkipBytes(4);
        break;
    case tgFloat80:
        SkipBytes(10);
        break;
    case tgFixed64:
    case tgDateTime:
    case tgSigned64:
        SkipBytes(8);
        break;
    case tgShortText:
    case tgName:
        SkipBytes(TakeTag());
        break;
    case tgBlob:
    case tgLongText: {
        uint8_t bytes[4];
        TakeBytes(bytes, 4);
        SkipBytes(LittleEndian<int32_t>(bytes)); // nothing more when 0 or less
        break;
    }
    case tgWideText: {
        uint8_t bytes[4];
        TakeBytes(bytes, 4);
        SkipBytes(2 * static_cast<int64_t>(LittleEndian<int32_t>(bytes)));
        break;
    }
    case tgNameSet:
        SkipSetNames();
        break;
    case tgItems: {
        TNesting nesting(*this);
        while (!AtListEnd()) {
            if (IsIntegerTag(PeekTag())) SkipAnyValue();
            TakeTag(); // the item's list tag, not checked
            while (!AtListEnd())
                SkipPropertyRecord();
            CloseList();
        }
        CloseList();
        break;
    }
    default: // tgEnd, the booleans, tgNone and undefined tags carry nothing
        break;
    }
}

void TReader::SkipPropertyRecord() {
    SkipBytes(TakeTag());
    SkipAnyValue();
}

void TReader::SkipComponentRecord(bool withHeader) {
    // Without its header this is the rest of a record whose level LoadChild
    // already counts; only a record of its own goes one level deeper.
    std::optional<TNesting> nesting;
    if (withHeader) nesting.emplace(*this);
    if (withHeader) {
        TPrefixFlags flags;
        int32_t position = 0;
        ReadHeaderFlags(flags, position);
        SkipBytes(TakeTag());
        SkipBytes(TakeTag());
    }
    while (!AtListEnd())
        SkipPropertyRecord();
    CloseList();
    while (!AtListEnd())
        SkipComponentRecord(true);
    CloseList();
}
