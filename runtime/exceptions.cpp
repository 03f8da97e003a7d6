#include "runtime/exceptions.h"

#include "platform/win32.h"
#include "runtime/format.h"
#include "runtime/resstrings.h"

void Abort() {
    throw EAbort(LoadResString(SOperationAborted));
}

void RaiseLastWin32Error() {
    DWORD error = GetLastError();
    throw EWin32Error(Format(LoadResString(SWin32Error), {error, std::string()}));
}
