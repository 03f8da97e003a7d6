// The reader's side of the component classes: what a destroyed object must
// leave, their default description hook and the custom properties every
// component declares, installed into the classes by the filers.
#include "framework/classes/component.h"
#include "framework/classes/component_streaming.h"
#include "framework/streaming/loading.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/references.h"
#include "framework/streaming/streaming_module.h"
#include "framework/streaming/writer.h"

namespace {

void ForgetObject(TPersistent* object) {
    DropRefsOf(object);
    // A component destroyed while a read runs (by a property setter, say)
    // must not receive its after-loading call.
    if (auto* component = As<TComponent>(object)) ForgetLoadedComponent(component);
}

void LoadBody(TReader& reader, TComponent* component) {
    reader.LoadBody(component);
}

void DeclareComponentExtras(TComponent* component, TFiler& filer) {
    // "Left" and "Top" keep a non-visual component's design position in the
    // low and high 16 bits of its design offset.
    auto* ancestor = As<TComponent>(filer.AncestorComponent());
    uint32_t own = static_cast<uint32_t>(component->DesignOffset());
    uint32_t inherited = ancestor ? static_cast<uint32_t>(ancestor->DesignOffset()) : 0;
    auto half = [](uint32_t offset, int shift) { return static_cast<uint16_t>(offset >> shift); };
    auto offer = [&](const char* name, int shift) {
        filer.AcceptCustomProperty(
            name,
            [component, shift](TReader& reader) {
                uint32_t value = static_cast<uint16_t>(reader.ReadIntValue());
                uint32_t keep =
                    static_cast<uint32_t>(component->DesignOffset()) & ~(0xFFFFu << shift);
                component->SetDesignOffset(static_cast<int32_t>(keep | (value << shift)));
            },
            [component, shift](TWriter& writer) {
                writer.WriteInteger(static_cast<int16_t>(
                    static_cast<uint32_t>(component->DesignOffset()) >> shift));
            },
            half(own, shift) != half(inherited, shift));
    };
    offer("Left", 0);
    offer("Top", 16);
}

constexpr TComponentStreaming componentStreaming{ForgetObject, LoadBody, DeclareComponentExtras};

} // namespace

void InstallComponentStreaming() noexcept {
    SetComponentStreaming(componentStreaming);
}
