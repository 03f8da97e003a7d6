#include "framework/application/application_main.h"

#include "runtime/exceptions.h"

int ProgramEntry(const TClass* mainFormClass, const std::function<void(TComponent*)>& store) {
    try {
        TheApplication->RunStartupHook();
        if (mainFormClass) TheApplication->InstantiateForm(mainFormClass, store);
        TheApplication->EnterMessageLoop();
    } catch (const Exception& exception) {
        TheApplication->PresentException(exception);
    } catch (...) {
        // Not of the framework's tree: the runtime's generic report, and the
        // program still ends in order.
        ShowRuntimeErrorReport(std::string());
    }
    return 0;
}
