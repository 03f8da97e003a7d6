#include "framework/application/program_entry.h"

#include "runtime/exceptions.h"

int ProgramEntry(const TClass* mainFormClass, const std::function<void(TComponent*)>& store) {
    try {
        TheApplication->RunStartupHook();
        if (mainFormClass) TheApplication->InstantiateForm(mainFormClass, store);
        TheApplication->EnterMessageLoop();
    } catch (const Exception& exception) {
        TheApplication->PresentException(exception);
    }
    return 0;
}
