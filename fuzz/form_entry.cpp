#include "fuzz/form_entry.h"

#include "framework/application/framework_modules.h"
#include "framework/controls/graphics.h"
#include "framework/controls/menus.h"
#include "framework/streaming/stream.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/read_invariants.h"
#include "launcher/unitmain.h"
#include "runtime/exceptions.h"
#include "runtime/module_registry.h"
#include "system/doublebyte.h"

#include <exception>
#include <vector>

namespace {

// The launcher's main form with its own creation handler left out: a
// published "FormCreate" of this class is found before TFormMain's, so
// "OnCreate" (or any event) bound to it by name does nothing. Everything
// else (properties, scaling, the window, showing) is TFormMain's.
class TFuzzFormMain : public TFormMain {
public:
    DECLARE_CLASS_INFO()
    int creations = 0;
    void IgnoreCreate(TObject*) { ++creations; }
};

const TMethodEntry fuzzFormMethods[] = {
    PublishedMethod<&TFuzzFormMain::IgnoreCreate>("FormCreate")};

} // namespace

constinit const TClass TFuzzFormMain::ClassInfo =
    MakeClass<TFuzzFormMain>("TFuzzFormMain", &TFormMain::ClassInfo, {}, fuzzFormMethods);

namespace {

// The framework's modules in the program's order, started once; the
// launcher's own module (its message texts) is not needed.
void StartOnce() {
    static bool started = [] {
        static const TModuleStep modules[] = {{"doublebyte", StartDoubleByteModule, nullptr},
                                              {"runtime", StartModuleRegistry, nullptr},
                                              ControlsModule,
                                              {"graphics", StartGraphicsModule, nullptr},
                                              MenusModule,
                                              FormsModule};
        StartModules(modules);
        return true;
    }();
    (void)started;
}

// Reads the bytes into the form and shows it; the form is destroyed
// afterwards whatever happened.
void ReadIntoForm(const std::vector<uint8_t>& bytes, TFuzzFormMain* form) {
    TOwned<TFuzzFormMain> owned(form);
    try {
        TMemoryStream stream(bytes);
        stream.LoadTree(form);
        CheckStreamWithin("form", stream, bytes.size());
        form->SetVisible(true);
    } catch (const Exception&) {
        // Malformed input or values the window cannot take: an expected outcome.
    } catch (...) {
        FuzzFailure("form", "an exception not of the framework's tree");
    }
    owned.reset();
    CheckNothingPending("form");
}

} // namespace

void FuzzFormInput(const uint8_t* data, size_t size) {
    StartOnce();
    std::vector<uint8_t> bytes(data, data + size);
    // Over the launcher's own description, read by the real constructor
    // (whose creation handler is the harmless one).
    TFuzzFormMain* described = nullptr;
    try {
        described =
            static_cast<TFuzzFormMain*>(ConstructComponent(&TFuzzFormMain::ClassInfo, nullptr));
    } catch (...) {
        FuzzFailure("form", "the launcher's own description did not load");
    }
    if (described->creations != 1) FuzzFailure("form", "the creation handler did not run once");
    described->creations = 0;
    ReadIntoForm(bytes, described);
    // Into a form built with its defaults only.
    ReadIntoForm(bytes, NewBlankForm<TFuzzFormMain>(nullptr));
}
