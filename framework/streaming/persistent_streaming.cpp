// The reader's side of the component classes: their default description
// hooks and the custom properties every component declares.
#include "framework/classes/component.h"
#include "framework/streaming/loading.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/references.h"
#include "framework/streaming/writer.h"

void TPersistent::DeclareExtraProperties(TFiler&) {}

void TPersistent::Destroy() {
    DropRefsOf(this);
    // A component destroyed while a read runs (by a property setter, say)
    // must not receive its after-loading call.
    if (auto* component = As<TComponent>(this)) ForgetLoadedComponent(component);
    TObject::Destroy();
}

void TComponent::ApplyDescription(TReader& reader) {
    reader.LoadBody(this);
}

void TComponent::DeclareExtraProperties(TFiler& filer) {
    // "Left" and "Top" keep a non-visual component's design position in the
    // low and high 16 bits of its design offset.
    auto* ancestor = As<TComponent>(filer.AncestorComponent());
    uint32_t own = static_cast<uint32_t>(FDesignOffset);
    uint32_t inherited = ancestor ? static_cast<uint32_t>(ancestor->FDesignOffset) : 0;
    auto half = [](uint32_t offset, int shift) { return static_cast<uint16_t>(offset >> shift); };
    auto offer = [&](const char* name, int shift) {
        filer.AcceptCustomProperty(
            name,
            [this, shift](TReader& reader) {
                uint32_t value = static_cast<uint16_t>(reader.ReadIntValue());
                uint32_t keep = static_cast<uint32_t>(FDesignOffset) & ~(0xFFFFu << shift);
                FDesignOffset = static_cast<int32_t>(keep | (value << shift));
            },
            [this, shift](TWriter& writer) {
                writer.WriteInteger(
                    static_cast<int16_t>(static_cast<uint32_t>(FDesignOffset) >> shift));
            },
            half(own, shift) != half(inherited, shift));
    };
    offer("Left", 0);
    offer("Top", 16);
}
