#include "system/fileaccess.h"

#include <iterator>

namespace {

const DWORD kAccessModes[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
const DWORD kShareModes[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE};

} // namespace

int32_t FileDosStamp(const std::string& name) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return -1;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    FILETIME local;
    WORD date = 0, time = 0;
    FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
    if (!FileTimeToDosDateTime(&local, &date, &time)) return -1;
    return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

bool FileIsPresent(const std::string& name) {
    return FileDosStamp(name) != -1;
}

HANDLE FileOpen(const std::string& name, uint32_t mode) {
    uint32_t access = mode & 0x3, sharing = (mode >> 4) & 0xF;
    // The tables have no entry for these: refuse them rather than guess.
    if (access >= std::size(kAccessModes) || sharing >= std::size(kShareModes)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(name.c_str(), kAccessModes[access], kShareModes[sharing], nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE FileCreate(const std::string& name) {
    return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

int32_t FileRead(HANDLE file, void* buffer, int32_t count) {
    DWORD done = 0;
    if (count < 0 || !ReadFile(file, buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return static_cast<int32_t>(done);
}

int32_t FileWrite(HANDLE file, const void* buffer, int32_t count) {
    DWORD done = 0;
    if (count < 0 || !WriteFile(file, buffer, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return static_cast<int32_t>(done);
}

int32_t FileSeek(HANDLE file, int32_t offset, int32_t origin) {
    return static_cast<int32_t>(SetFilePointer(file, offset, nullptr, static_cast<DWORD>(origin)));
}

void FileClose(HANDLE file) {
    CloseHandle(file);
}
