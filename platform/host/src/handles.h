// The kernel handle table: files, searches, processes and other kernel
// objects share one table, as on Windows, so CloseHandle and
// WaitForSingleObject work on any of them.
#pragma once

#include "hostwin/windows.h"

#include <memory>

namespace hostwin {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // WaitForSingleObject on the object: WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
    virtual DWORD Wait(DWORD milliseconds);
};

// Enters the object in the table and returns its new handle (never 0 or -1).
HANDLE AllocateHandle(std::shared_ptr<KernelObject> object);

// The object of a handle, or null (pseudo-handles and unknown values).
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

template <class T> std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

// Removes a handle from the table; false when it was not there.
bool ReleaseHandle(HANDLE handle);

}  // namespace hostwin
