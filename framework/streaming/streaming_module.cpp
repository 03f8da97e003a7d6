#include "framework/streaming/streaming_module.h"

#include "framework/streaming/references.h"
#include "framework/streaming/registries.h"

void StopStreamingModule() {
    DropGlobalRefs(nullptr, "");
    ClearClassRegistry();
}
