#include "framework/streaming/stream.h"

#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "runtime/typeinfo.h"

#include <algorithm>
#include <cstring>

constinit const TClass TStream::ClassInfo = MakeClass<TStream>("TStream", &TObject::ClassInfo);
constinit const TClass TCustomMemoryStream::ClassInfo =
    MakeClass<TCustomMemoryStream>("TCustomMemoryStream", &TStream::ClassInfo);
constinit const TClass TMemoryStream::ClassInfo =
    MakeClass<TMemoryStream>("TMemoryStream", &TCustomMemoryStream::ClassInfo);

int64_t TStream::Size() {
    int64_t position = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
    if (count > 0 && Read(buffer, count) != count) throw EReadError(LoadResString(SReadError));
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
    if (count > 0 && Write(buffer, count) != count) throw EWriteError(LoadResString(SWriteError));
}

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || FPosition >= FSize) return 0;
    int64_t available = std::min<int64_t>(FSize - FPosition, count);
    std::memcpy(buffer, FMemory + FPosition, static_cast<size_t>(available));
    FPosition += available;
    return static_cast<int32_t>(available);
}

int32_t TCustomMemoryStream::Write(const void*, int32_t) {
    return 0;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize;
    // A position before the start is clamped to it; one past the end is kept,
    // and reading there gives nothing.
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

void TCustomMemoryStream::SetPointer(const uint8_t* memory, int64_t size) {
    FMemory = memory;
    FSize = size;
}

TMemoryStream::TMemoryStream(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {
    SetPointer(FBytes.data(), static_cast<int64_t>(FBytes.size()));
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    int64_t end = FPosition + count;
    if (end > FSize) SetSize(end);
    std::memcpy(FBytes.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

void TMemoryStream::SetSize(int64_t size) {
    FBytes.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    SetPointer(FBytes.data(), static_cast<int64_t>(FBytes.size()));
    FPosition = std::min(FPosition, FSize);
}
