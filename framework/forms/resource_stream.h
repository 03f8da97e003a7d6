// TResourceStream: a read-only memory stream over one resource of a module.
#pragma once

#include "framework/streaming/stream.h"
#include "platform/win32.h"

class TResourceStream : public TCustomMemoryStream {
public:
    DECLARE_CLASS_INFO()

    // Finds and loads the resource (module 0 is the program itself);
    // EResNotFound with the resource name when it cannot be found or loaded.
    // Reading starts at 0.
    void Open(HINSTANCE module, const char* name, const char* type);
    // Refused: EStreamError, the stream is unchanged.
    int32_t Write(const void* buffer, int32_t count) override;
    // Frees the loaded resource.
    void Destroy() override;

private:
    HRSRC FFound = nullptr;
    HGLOBAL FLoaded = nullptr;
};
