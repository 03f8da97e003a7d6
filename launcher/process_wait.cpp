#include "launcher/process_wait.h"

bool AwaitProcessEnd(HANDLE process) {
    for (;;) {
        switch (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE)) {
        case WAIT_OBJECT_0:
            return true;
        case WAIT_OBJECT_0 + 1: {
            // With only PM_QS_SENDMESSAGE, PeekMessage handles the pending
            // sent messages and takes nothing from the queue.
            MSG ignored;
            PeekMessageA(&ignored, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            break;
        }
        default:
            return false;
        }
    }
}
