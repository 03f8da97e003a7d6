// The persistent and component classes' members that reach the streaming
// layer, through the operations it installs.
#include "framework/classes/component_streaming.h"

#include "framework/classes/component.h"

#include <atomic>

namespace {

// Filers may be made on several threads; each installs the same operations.
std::atomic<const TComponentStreaming*> installed{nullptr};

} // namespace

void SetComponentStreaming(const TComponentStreaming& operations) noexcept {
    installed.store(&operations, std::memory_order_release);
}

void TPersistent::DeclareExtraProperties(TFiler&) {}

void TPersistent::Destroy() {
    // Before the first filer there is nothing that could still refer to it.
    if (auto* streaming = installed.load(std::memory_order_acquire)) streaming->forgetObject(this);
    TObject::Destroy();
}

void TComponent::ApplyDescription(TReader& reader) {
    // Only a reader calls this, and making it installed the operations.
    installed.load(std::memory_order_acquire)->loadBody(reader, this);
}

void TComponent::DeclareExtraProperties(TFiler& filer) {
    installed.load(std::memory_order_acquire)->declareComponentExtras(this, filer);
}
