// Large form descriptions for the reader's benchmarks, written with the
// project's writer: a form-like root (TSampleForm) with thousands of
// components that carry a property of every kind.
#pragma once

#include "framework/classes/component.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A container that owns the components read in its body, as a frame owns
// its own: names are unique, and looked up, within the group.
class TBenchGroup : public TComponent {
public:
    DECLARE_CLASS_INFO()
    TComponent* ChildOwnerFor() override { return this; }
};

// Registers the sample classes, TBenchGroup and the graphics identifier maps.
void RegisterGeneratedFormClasses();

// A description of at least targetBytes: the root's own properties, then
// components with properties of every kind (numbers, identifiers, texts long
// and short, floats, sets, references, collections, handlers, variants,
// blobs, custom properties). With a fanOut, they are grouped as a large form
// groups its controls: panels of fanOut groups of fanOut components, each
// owned by its container (TBenchGroup); with fanOut 0 the root owns them all.
std::vector<uint8_t> GenerateDescription(size_t targetBytes, int fanOut);

// The number of components (containers not counted) GenerateDescription wrote last.
size_t GeneratedComponentCount();
