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
    // For waits on several things at once (MsgWaitForMultipleObjects): the
    // eventfd is written once when the object becomes signalled, or at once
    // when it already is. False for an object that cannot be waited on.
    virtual bool Watch(int eventFd);
    // Forgets an eventfd given to Watch.
    virtual void Unwatch(int eventFd);
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

} // namespace hostwin
