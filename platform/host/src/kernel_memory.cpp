// kernel32: VirtualQuery over the process's own mappings (/proc/self/maps).
//
// Windows reports, for every section of a loaded image (code, data, bss), the
// image's base as the allocation base, so a program finds the module that
// holds an address by asking for it. The host gives the same answer for the
// ELF images of the process: the allocation base of an address in a
// file-backed mapping is the start of that file's mapping at offset 0 below
// it, and an anonymous mapping that directly follows an image's mappings (its
// bss) belongs to that image. Other anonymous mappings (heap, stacks) are
// allocations of their own.
#include "hostwin/windows.h"

#include "files.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace hostwin {
namespace {

// The top of the user address space of x86-64 Linux (47 bits), where Windows
// also ends it for 64-bit programs.
constexpr uintptr_t kUserSpaceEnd = uintptr_t(1) << 47;

struct Mapping {
    uintptr_t start = 0, end = 0;
    char permissions[5] = {};
    uintptr_t offset = 0;
    unsigned long device = 0; // major and minor combined
    unsigned long inode = 0;
    std::string name; // a path, a bracketed label such as "[heap]", or empty

    bool FileBacked() const { return inode != 0; }
    bool SameFile(const Mapping& other) const {
        return inode == other.inode && device == other.device;
    }
    bool Executable() const { return permissions[2] == 'x'; }
};

std::vector<Mapping> ReadMappings() {
    std::vector<Mapping> mappings;
    FILE* maps = std::fopen("/proc/self/maps", "re");
    if (!maps) return mappings;
    char line[4096 + 128];
    while (std::fgets(line, sizeof(line), maps)) {
        Mapping m;
        unsigned long major = 0, minor = 0;
        int nameAt = 0;
        if (std::sscanf(line, "%lx-%lx %4s %lx %lx:%lx %lu %n", &m.start, &m.end, m.permissions,
                        &m.offset, &major, &minor, &m.inode, &nameAt) < 7)
            continue;
        m.device = major << 20 | minor;
        m.name = line + nameAt;
        while (!m.name.empty() && (m.name.back() == '\n' || m.name.back() == ' '))
            m.name.pop_back();
        mappings.push_back(std::move(m));
    }
    std::fclose(maps);
    return mappings;
}

DWORD ProtectionOf(const Mapping& m) {
    bool read = m.permissions[0] == 'r', write = m.permissions[1] == 'w',
         execute = m.permissions[2] == 'x';
    if (execute) return write ? PAGE_EXECUTE_READWRITE : read ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
    if (write) return PAGE_READWRITE;
    return read ? PAGE_READONLY : PAGE_NOACCESS;
}

// The index of the file-backed mapping whose image the mapping at index
// belongs to: itself, or for an anonymous mapping the image mapping it
// directly follows; -1 for an allocation of its own.
long ImageMappingOf(const std::vector<Mapping>& mappings, size_t index) {
    long i = static_cast<long>(index);
    while (i >= 0 && !mappings[i].FileBacked()) {
        if (!mappings[i].name.empty() || i == 0 || mappings[i - 1].end != mappings[i].start)
            return -1;
        --i;
    }
    return i;
}

void Describe(const std::vector<Mapping>& mappings, size_t index, uintptr_t page,
              MEMORY_BASIC_INFORMATION& info) {
    const Mapping& m = mappings[index];
    info.BaseAddress = reinterpret_cast<PVOID>(page);
    info.RegionSize = m.end - page;
    info.State = MEM_COMMIT;
    info.Protect = info.AllocationProtect = ProtectionOf(m);
    info.AllocationBase = reinterpret_cast<PVOID>(m.start);
    info.Type = MEM_PRIVATE;
    long image = ImageMappingOf(mappings, index);
    if (image < 0) return;
    const Mapping& file = mappings[static_cast<size_t>(image)];
    // The image starts at the nearest mapping of the same file at offset 0.
    for (long i = image; i >= 0; --i) {
        if (mappings[i].SameFile(file) && mappings[i].offset == 0) {
            info.AllocationBase = reinterpret_cast<PVOID>(mappings[i].start);
            break;
        }
    }
    // A file with code mapped is a loaded image; any other a mapped file.
    bool executable = false;
    for (const Mapping& other : mappings)
        executable = executable || (other.SameFile(file) && other.Executable());
    info.Type = executable ? MEM_IMAGE : MEM_MAPPED;
}

} // namespace
} // namespace hostwin

using namespace hostwin;

extern "C" SIZE_T WINAPI VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info,
                                      SIZE_T size) {
    if (!info || size < sizeof(MEMORY_BASIC_INFORMATION)) return Fail(ERROR_BAD_LENGTH, SIZE_T(0));
    auto where = reinterpret_cast<uintptr_t>(address);
    if (where >= kUserSpaceEnd) return Fail(ERROR_INVALID_PARAMETER, SIZE_T(0));
    const uintptr_t pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t page = where & ~(pageSize - 1);
    std::memset(info, 0, sizeof(*info));
    std::vector<Mapping> mappings = ReadMappings();
    uintptr_t freeEnd = kUserSpaceEnd;
    for (size_t i = 0; i < mappings.size(); ++i) {
        if (where >= mappings[i].start && where < mappings[i].end) {
            Describe(mappings, i, page, *info);
            return sizeof(*info);
        }
        if (mappings[i].start > where) {
            freeEnd = mappings[i].start;
            break;
        }
    }
    // Nothing is mapped here: a free region up to the next mapping.
    info->BaseAddress = reinterpret_cast<PVOID>(page);
    info->RegionSize = freeEnd - page;
    info->State = MEM_FREE;
    info->Protect = PAGE_NOACCESS;
    return sizeof(*info);
}
