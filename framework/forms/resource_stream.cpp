#include "framework/forms/resource_stream.h"

#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "runtime/typeinfo.h"

constinit const TClass TResourceStream::ClassInfo =
    MakeClass<TResourceStream>("TResourceStream", &TCustomMemoryStream::ClassInfo);

void TResourceStream::Open(HINSTANCE module, const char* name, const char* type) {
    found_ = FindResourceA(module, name, type);
    if (!found_) throw EResNotFound(FormatResString(SResNotFound, {name}));
    loaded_ = LoadResource(module, found_);
    if (!loaded_) throw EResNotFound(FormatResString(SResNotFound, {name}));
    SetPointer(static_cast<const uint8_t*>(LockResource(loaded_)), SizeofResource(module, found_));
    position_ = 0;
}

int32_t TResourceStream::Write(const void*, int32_t) {
    throw EStreamError(LoadResString(SCantWriteResourceStream));
}

void TResourceStream::Destroy() {
    if (loaded_) FreeResource(loaded_);
    loaded_ = nullptr;
    TCustomMemoryStream::Destroy();
}
