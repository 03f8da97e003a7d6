// The reader's and writer's part of the persistent and component classes.
// The classes sit below the streaming layer, which installs these operations
// as it makes its first filer: every pending reference and load-list entry
// a destroyed object must leave is made by a reader, so nothing is lost
// before then, and the classes need the streaming layer neither to compile
// nor to link.
#pragma once

class TComponent;
class TFiler;
class TPersistent;
class TReader;

struct TComponentStreaming {
    // Forgets the pending references to an object being destroyed and, for a
    // component, its entry in the load list of a read still running.
    void (*forgetObject)(TPersistent* object);
    // The default ApplyDescription: reads the component's properties and children.
    void (*loadBody)(TReader& reader, TComponent* component);
    // Offers the custom stored values every component has (its design position).
    void (*declareComponentExtras)(TComponent* component, TFiler& filer);
};

// Installs the streaming layer's operations; they stay for the process.
void SetComponentStreaming(const TComponentStreaming& operations) noexcept;
