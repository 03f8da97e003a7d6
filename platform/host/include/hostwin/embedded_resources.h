// The resources the host build embeds in a program (generated from
// resources/ by tools/gen_resources.py), in the layout of a PE file's
// resources. A program without them has none.
#pragma once

#include "hostwin/base.h"

struct HostEmbeddedResource {
    LPCSTR type; // MAKEINTRESOURCEA(id) or a name
    LPCSTR name; // MAKEINTRESOURCEA(id) or a name
    const BYTE* data;
    DWORD size;
};

extern "C" {
extern const HostEmbeddedResource hostwin_embedded_resources[] __attribute__((weak));
extern const size_t hostwin_embedded_resource_count __attribute__((weak));
}
