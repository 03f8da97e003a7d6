// Reading the resource directory of a PE file. The layout is the one the
// PE/COFF format defines: the MS-DOS header's e_lfanew leads to "PE\0\0",
// the COFF file header and the optional header (PE32 or PE32+), whose third
// data directory locates the resources; relative virtual addresses map to
// file offsets through the section table. The resource tree has three levels
// (type, name, language); a named entry points at a counted UTF-16 string.
#include "pe_resources.h"

#include "ascii.h"
#include "codepage.h"

#include <optional>
#include <set>

namespace hostwin {
namespace {

constexpr WORD kPe32Magic = 0x10B;
constexpr WORD kPe32PlusMagic = 0x20B;
constexpr DWORD kResourceDirectoryIndex = 2;
constexpr WORD kMaxSections = 96; // the loader's own limit
constexpr DWORD kSubdirectoryBit = 0x80000000u;

struct Section {
    DWORD virtualAddress;
    DWORD virtualSize;
    DWORD rawSize;
    DWORD rawOffset;
};

// Little-endian reads that fail, instead of reading, past the end of a range.
class ImageReader {
public:
    ImageReader(const std::vector<BYTE>& image, size_t limit) : image_(image), limit_(limit) {}

    bool Has(size_t offset, size_t count) const {
        return offset <= limit_ && count <= limit_ - offset;
    }
    WORD Word(size_t offset) {
        if (!Has(offset, 2)) return Fail<WORD>();
        return static_cast<WORD>(image_[offset] | image_[offset + 1] << 8);
    }
    DWORD Dword(size_t offset) {
        if (!Has(offset, 4)) return Fail<DWORD>();
        return static_cast<DWORD>(image_[offset]) | static_cast<DWORD>(image_[offset + 1]) << 8 |
               static_cast<DWORD>(image_[offset + 2]) << 16 |
               static_cast<DWORD>(image_[offset + 3]) << 24;
    }
    bool ok() const { return ok_; }

private:
    template <class T> T Fail() {
        ok_ = false;
        return 0;
    }
    const std::vector<BYTE>& image_;
    size_t limit_;
    bool ok_ = true;
};

class ResourceTreeReader {
public:
    ResourceTreeReader(PeResourceModule& module, std::vector<Section> sections)
        : module_(module), image_(module.Image()), file_(image_, image_.size()),
          sections_(std::move(sections)) {}

    // Reads the tree whose root directory lies at the relative virtual address.
    bool Read(DWORD rva, DWORD size) {
        auto offset = FileOffset(rva, 1);
        if (!offset) return false;
        base_ = *offset;
        // The tree lies inside its section's raw data and inside the directory's size.
        size_t available = RawBytesAfter(rva);
        limit_ = size && size < available ? size : available;
        ResourceRecord record;
        return ReadDirectory(0, 1, record);
    }

private:
    std::optional<size_t> FileOffset(DWORD rva, DWORD count) const {
        for (const Section& section : sections_) {
            if (rva < section.virtualAddress) continue;
            size_t into = rva - section.virtualAddress;
            if (into >= section.rawSize || count > section.rawSize - into) continue;
            return section.rawOffset + into;
        }
        return std::nullopt;
    }

    size_t RawBytesAfter(DWORD rva) const {
        for (const Section& section : sections_)
            if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize)
                return section.rawSize - (rva - section.virtualAddress);
        return 0;
    }

    // The reader over the tree: offsets relative to its root, checked against its size.
    bool TreeHas(size_t offset, size_t count) const {
        return offset <= limit_ && count <= limit_ - offset;
    }
    WORD TreeWord(size_t offset, bool& ok) {
        if (TreeHas(offset, 2)) return file_.Word(base_ + offset);
        ok = false;
        return 0;
    }
    DWORD TreeDword(size_t offset, bool& ok) {
        if (TreeHas(offset, 4)) return file_.Dword(base_ + offset);
        ok = false;
        return 0;
    }

    // The key of a directory entry: an identifier, or a counted UTF-16 name
    // kept upper-cased in the ANSI code page as the lookups compare it.
    bool ReadKey(DWORD nameField, ResourceKey& key) {
        bool ok = true;
        key = ResourceKey{};
        if (!(nameField & kSubdirectoryBit)) {
            key.id = static_cast<WORD>(nameField);
            return true;
        }
        size_t offset = nameField & ~kSubdirectoryBit;
        WORD length = TreeWord(offset, ok);
        if (!ok || !TreeHas(offset + 2, 2u * length)) return false;
        std::u16string name(length, u'\0');
        for (WORD i = 0; i < length; ++i)
            name[i] = static_cast<char16_t>(TreeWord(offset + 2 + 2u * i, ok));
        key.name = Utf16ToAnsi(name);
        key.name = AsciiUppered(std::move(key.name));
        return ok && file_.ok();
    }

    // Level 1 holds types, level 2 names, level 3 languages whose entries
    // point at the data. Each directory may be visited once, so that a file
    // whose entries point back at a directory cannot make the tree endless.
    bool ReadDirectory(size_t offset, int level, ResourceRecord& record) {
        if (!visited_.insert(offset).second) return false;
        bool ok = true;
        size_t count = static_cast<size_t>(TreeWord(offset + 12, ok)) + TreeWord(offset + 14, ok);
        if (!ok || !TreeHas(offset + 16, 8 * count)) return false;
        for (size_t i = 0; i < count; ++i) {
            size_t entry = offset + 16 + 8 * i;
            DWORD nameField = TreeDword(entry, ok);
            DWORD dataField = TreeDword(entry + 4, ok);
            ResourceKey key;
            if (!ok || !ReadKey(nameField, key)) return false;
            bool subdirectory = (dataField & kSubdirectoryBit) != 0;
            if (subdirectory != (level < 3)) return false;
            if (level == 1) record.type = key;
            if (level == 2) record.name = key;
            if (level == 3) {
                record.language = key.id;
                if (!ReadData(dataField, record)) return false;
            } else if (!ReadDirectory(dataField & ~kSubdirectoryBit, level + 1, record)) {
                return false;
            }
        }
        return true;
    }

    bool ReadData(size_t entry, ResourceRecord& record) {
        bool ok = true;
        DWORD rva = TreeDword(entry, ok);
        DWORD size = TreeDword(entry + 4, ok);
        if (!ok) return false;
        auto offset = FileOffset(rva, size);
        if (!offset) return false;
        record.data = image_.data() + *offset;
        record.size = size;
        module_.Records().push_back(record);
        return true;
    }

    PeResourceModule& module_;
    const std::vector<BYTE>& image_;
    ImageReader file_;
    std::vector<Section> sections_;
    size_t base_ = 0;
    size_t limit_ = 0;
    std::set<size_t> visited_;
};

} // namespace

std::optional<PeKind> ReadPeKind(const std::vector<BYTE>& image) {
    ImageReader file(image, image.size());
    if (file.Word(0) != 0x5A4D) return std::nullopt; // "MZ"
    size_t header = file.Dword(0x3C);
    if (!file.ok() || file.Dword(header) != 0x00004550) return std::nullopt; // "PE\0\0"
    PeKind kind{file.Word(header + 4), file.Word(header + 24)};
    if (!file.ok()) return std::nullopt;
    return kind;
}

std::unique_ptr<PeResourceModule> ReadPeResources(std::vector<BYTE> bytes) {
    auto module = std::make_unique<PeResourceModule>(std::move(bytes));
    const std::vector<BYTE>& image = module->Image();
    ImageReader file(image, image.size());

    if (file.Word(0) != 0x5A4D) return nullptr; // "MZ"
    size_t header = file.Dword(0x3C);
    if (!file.ok() || file.Dword(header) != 0x00004550) return nullptr; // "PE\0\0"
    size_t coff = header + 4;
    WORD sectionCount = file.Word(coff + 2);
    WORD optionalSize = file.Word(coff + 16);
    size_t optional = coff + 20;
    WORD magic = file.Word(optional);
    if (!file.ok() || sectionCount > kMaxSections) return nullptr;
    size_t countField, directories;
    if (magic == kPe32Magic) {
        countField = optional + 92;
        directories = optional + 96;
    } else if (magic == kPe32PlusMagic) {
        countField = optional + 108;
        directories = optional + 112;
    } else {
        return nullptr;
    }
    if (directories > optional + optionalSize) return nullptr;
    DWORD directoryCount = file.Dword(countField);
    // Only the directories the optional header has room for count.
    DWORD room = static_cast<DWORD>((optional + optionalSize - directories) / 8);
    if (directoryCount > room) directoryCount = room;

    std::vector<Section> sections;
    size_t table = optional + optionalSize;
    for (WORD i = 0; i < sectionCount; ++i) {
        size_t at = table + 40u * i;
        Section section{file.Dword(at + 12), file.Dword(at + 8), file.Dword(at + 16),
                        file.Dword(at + 20)};
        if (!file.ok()) return nullptr;
        // Raw data that runs past the end of the file is cut at it; a
        // section whose raw data starts beyond the end has none.
        if (section.rawOffset >= image.size())
            section.rawSize = 0;
        else if (section.rawSize > image.size() - section.rawOffset)
            section.rawSize = static_cast<DWORD>(image.size() - section.rawOffset);
        // Bytes beyond the virtual size are padding, not section data.
        if (section.virtualSize && section.virtualSize < section.rawSize)
            section.rawSize = section.virtualSize;
        sections.push_back(section);
    }

    if (directoryCount <= kResourceDirectoryIndex) return module;
    DWORD rva = file.Dword(directories + 8 * kResourceDirectoryIndex);
    DWORD size = file.Dword(directories + 8 * kResourceDirectoryIndex + 4);
    if (!file.ok()) return nullptr;
    if (rva == 0) return module;
    ResourceTreeReader tree(*module, std::move(sections));
    if (!tree.Read(rva, size)) return nullptr;
    return module;
}

} // namespace hostwin
