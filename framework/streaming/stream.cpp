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
    if (count <= 0 || position_ >= size_) return 0;
    int64_t available = std::min<int64_t>(size_ - position_, count);
    std::memcpy(buffer, memory_ + position_, static_cast<size_t>(available));
    position_ += available;
    return static_cast<int32_t>(available);
}

int32_t TCustomMemoryStream::Write(const void*, int32_t) {
    return 0;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : size_;
    // A position before the start is clamped to it; one past the end is kept,
    // and reading there gives nothing.
    position_ = std::max<int64_t>(0, base + offset);
    return position_;
}

void TCustomMemoryStream::SetPointer(const uint8_t* memory, int64_t size) {
    memory_ = memory;
    size_ = size;
}

TMemoryStream::TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    SetPointer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    int64_t end = position_ + count;
    if (end > size_) SetSize(end);
    std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

void TMemoryStream::SetSize(int64_t size) {
    bytes_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    SetPointer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
    position_ = std::min(position_, size_);
}
