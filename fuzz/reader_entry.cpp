#include "fuzz/reader_entry.h"

#include "framework/controls/graphics.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/references.h"
#include "framework/streaming/registries.h"
#include "framework/streaming/stream.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/read_invariants.h"
#include "fuzz/sample_classes.h"
#include "runtime/exceptions.h"

#include <vector>

namespace {

// A top-level form that references in the input may name ("Other.Target").
TSampleForm* otherRoot = nullptr;

TComponent* LookupOther(std::string_view name) {
    return otherRoot && SameName(otherRoot->Name(), name) ? otherRoot : nullptr;
}

void StartOnce() {
    static bool started = [] {
        StartGraphicsModule();
        RegisterSampleClasses();
        otherRoot = NewComponent<TSampleForm>(nullptr);
        otherRoot->SetName("Other");
        NewComponent<TSampleChild>(otherRoot)->SetName("Target");
        return true;
    }();
    (void)started;
}

// One read; the root is destroyed afterwards whatever happened.
void ReadOnce(const std::vector<uint8_t>& bytes, const TClass* rootClass, int32_t chunk,
              bool handleErrors) {
    TMemoryStream stream(bytes);
    TOwned<TComponent> root(rootClass ? ConstructComponent(rootClass, nullptr) : nullptr);
    TComponent* created = nullptr;
    try {
        TReader reader(stream, chunk);
        if (handleErrors)
            reader.OnReadError = [](TReader&, const std::string&, bool& handled) {
                handled = true;
            };
        created = reader.LoadRoot(root.get());
    } catch (const Exception&) {
        // Malformed input: an expected outcome.
    }
    CheckStreamWithin("reader", stream, bytes.size());
    if (!rootClass && created) FreeObject(created);
    root.reset();
    // Destroying the roots of this read drops every reference waiting for them.
    CheckNothingPending("reader");
}

} // namespace

void FuzzReaderInput(const uint8_t* data, size_t size) {
    StartOnce();
    std::vector<uint8_t> bytes(data, data + size);
    GlobalComponentLookup = nullptr;
    ReadOnce(bytes, &TSampleForm::ClassInfo, TReader::DefaultChunkSize, false);
    ReadOnce(bytes, &TSampleSink::ClassInfo, 5, false);
    GlobalComponentLookup = &LookupOther;
    ReadOnce(bytes, nullptr, 3, false);
    ReadOnce(bytes, &TSampleSink::ClassInfo, 64, true);
    GlobalComponentLookup = nullptr;
}
