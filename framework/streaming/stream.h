// Byte streams: TStream with read, write, seek and position; TCustomMemoryStream
// over a block of memory it does not own (the base of resource streams);
// TMemoryStream over a growable block of its own.
#pragma once

#include "runtime/object.h"

#include <cstdint>
#include <vector>

class TComponent;

enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
    DECLARE_CLASS_INFO()

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Writes count bytes; returns how many were written.
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // Moves the position and returns the new one.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    int64_t Size();

    // Reads exactly count bytes; EReadError (stream read error) when fewer come.
    void ReadBuffer(void* buffer, int32_t count);
    // Writes exactly count bytes; EWriteError when fewer are taken.
    void WriteBuffer(const void* buffer, int32_t count);

    // Reads one form description from the position into root (or, with no
    // root, into a new instance of the registered class it names) and returns
    // the root. The stream is left just after the last byte consumed.
    TComponent* LoadTree(TComponent* root);
};

// A stream over memory that the stream does not own; writing is refused.
class TCustomMemoryStream : public TStream {
public:
    DECLARE_CLASS_INFO()

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    const uint8_t* Memory() const { return FMemory; }

protected:
    // Points the stream at size bytes; the position is not changed.
    void SetPointer(const uint8_t* memory, int64_t size);

    const uint8_t* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

// A stream over a growable block of its own.
class TMemoryStream : public TCustomMemoryStream {
public:
    DECLARE_CLASS_INFO()

    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes);

    int32_t Write(const void* buffer, int32_t count) override;
    // Grows (with zero bytes) or shrinks the block; the position stays within it.
    void SetSize(int64_t size);
    // The bytes written or loaded so far.
    const std::vector<uint8_t>& Bytes() const { return FBytes; }

private:
    std::vector<uint8_t> FBytes;
};
