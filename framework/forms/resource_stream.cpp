#include "framework/forms/resource_stream.h"

#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "runtime/typeinfo.h"

constinit const TClass TResourceStream::ClassInfo =
    MakeClass<TResourceStream>("TResourceStream", &TCustomMemoryStream::ClassInfo);

void TResourceStream::Open(HINSTANCE module, const char* name, const char* type) {
    FFound = FindResourceA(module, name, type);
    if (!FFound) throw EResNotFound(FormatResString(SResNotFound, {name}));
    FLoaded = LoadResource(module, FFound);
    if (!FLoaded) throw EResNotFound(FormatResString(SResNotFound, {name}));
    SetPointer(static_cast<const uint8_t*>(LockResource(FLoaded)), SizeofResource(module, FFound));
    FPosition = 0;
}

int32_t TResourceStream::Write(const void*, int32_t) {
    throw EStreamError(LoadResString(SCantWriteResourceStream));
}

void TResourceStream::Destroy() {
    if (FLoaded) FreeResource(FLoaded);
    FLoaded = nullptr;
    TCustomMemoryStream::Destroy();
}
