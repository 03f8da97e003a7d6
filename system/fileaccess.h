// Files: the existence test through the last-write stamp, and thin wrappers
// over the Win32 file handle functions that report failure as -1.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <string>

// The last-write time of the first file matching the name (wildcards are
// matched by the system), in local time, as a DOS date (high 16 bits) and
// DOS time (low 16 bits); -1 when nothing matches, the first match is a
// directory, or its time has no DOS form (before 1980 or after 2107).
int32_t FileDosStamp(const std::string& name);

// True when FileDosStamp finds a stamp: directories and files dated outside
// the DOS range are not present.
bool FileIsPresent(const std::string& name);

// Opens an existing file. Mode bits 0-1 choose the access (0 read, 1 write,
// 2 both), bits 4-7 the sharing (0 and 1 none, 2 others may read, 3 others
// may write, 4 others may do both); other bits are ignored. An access of 3
// or a sharing above 4 fails. INVALID_HANDLE_VALUE on failure.
HANDLE FileOpen(const std::string& name, uint32_t mode);

// Creates a file, or empties an existing one, for reading and writing without
// sharing. INVALID_HANDLE_VALUE on failure.
HANDLE FileCreate(const std::string& name);

// Reads up to count bytes; the number read, or -1.
int32_t FileRead(HANDLE file, void* buffer, int32_t count);

// Writes count bytes; the number written, or -1.
int32_t FileWrite(HANDLE file, const void* buffer, int32_t count);

// Moves the file position (origin 0 start, 1 current, 2 end); the new
// position, or -1.
int32_t FileSeek(HANDLE file, int32_t offset, int32_t origin);

// Closes the handle.
void FileClose(HANDLE file);
