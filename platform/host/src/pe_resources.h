// The resource section of a PE file (an executable or a resource-only
// library, as windres and the MinGW linker make them), read from the file's
// bytes so that a language resource file serves the host as it serves Windows.
#pragma once

#include "resources.h"

#include <memory>
#include <optional>
#include <vector>

namespace hostwin {

// A resource module that owns the bytes of the file its records point into.
class PeResourceModule : public ResourceModule {
public:
    explicit PeResourceModule(std::vector<BYTE> image) : image_(std::move(image)) {}
    const std::vector<BYTE>& Image() const { return image_; }

private:
    std::vector<BYTE> image_;
};

// What a PE file is built for: the COFF header's machine (0x14C i386,
// 0x8664 x86-64) and the optional header's magic (0x10B PE32, 0x20B PE32+).
struct PeKind {
    WORD machine = 0;
    WORD magic = 0;
};

// The kind of a file that starts with an MS-DOS header pointing at a PE
// header; nothing for any other file.
std::optional<PeKind> ReadPeKind(const std::vector<BYTE>& image);

// Reads the PE headers, the section table and the three-level resource
// directory (type, name, language) of the image. Every offset is checked
// against the file: a malformed file gives null and nothing is read past its
// end. A file without a resource directory gives a module without records.
std::unique_ptr<PeResourceModule> ReadPeResources(std::vector<BYTE> image);

} // namespace hostwin
