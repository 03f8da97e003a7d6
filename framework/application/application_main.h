// The program's main function.
#pragma once

#include "framework/application/application.h"

#include <functional>

// Runs the start-up hook, has the application object create the main form
// of mainFormClass (the store receives it, as InstantiateForm hands it) and
// runs the message loop. An Exception that leaves these steps is shown with
// PresentException, any other exception by the runtime's generic report
// (ShowRuntimeErrorReport). Returns 0. A null class creates
// no main form, so the loop returns at once.
int ProgramEntry(const TClass* mainFormClass, const std::function<void(TComponent*)>& store);

template <class T> int ProgramEntry(const TClass* mainFormClass, T*& mainForm) {
    return ProgramEntry(mainFormClass, [&mainForm](TComponent* created) {
        mainForm = created ? static_cast<T*>(As<T>(created)) : nullptr;
    });
}
