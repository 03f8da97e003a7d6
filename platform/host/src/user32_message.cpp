// user32: the message queue of each thread, sending and posting, timers and
// the waits of GetMessageA, WaitMessage and MsgWaitForMultipleObjects.
//
// A message sent to a window of another thread waits in that thread's queue
// until the thread looks at its queue (PeekMessageA, GetMessageA,
// WaitMessage, or a SendMessageA of its own that waits for an answer); the
// sender waits for the answer meanwhile, handling what is sent to it.
//
// A queue hands out, in Windows' order: posted messages (oldest first),
// then WM_QUIT once no posted message is left for the call (whatever its
// filters), then WM_PAINT for a visible
// window that needs painting, then WM_TIMER for a timer that is due.
#include "hostwin/windows.h"

#include "handles.h"
#include "window_manager.h"

#include <atomic>
#include <cerrno>
#include <deque>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

using namespace hostwin;

namespace {

constexpr UINT kMinimumTimerPeriod = 10; // USER_TIMER_MINIMUM

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;
    TIMERPROC callback = nullptr;
    DWORD due = 0;
};

struct MessageQueue;

// A message sent by another thread: the sender waits until `done`.
struct SentMessage {
    WindowPtr window;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0; // written before `done` is set
    std::atomic<bool> done = false;
    std::shared_ptr<MessageQueue> sender;
};

struct MessageQueue {
    DWORD threadId = 0;
    // Guards what other threads may add: posted and sent messages, the quit request.
    std::mutex mutex;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quitRequested = false;
    int quitCode = 0;
    bool postedSinceLook = false; // a message was posted since the thread last looked at its queue
    bool ended = false;           // the thread has ended: nothing sent to it is answered
    std::vector<Timer> timers;    // this thread's only
    int wake = -1;                // an eventfd written on each post, send and answer
};

struct QueueTable {
    std::mutex mutex;
    std::map<DWORD, std::shared_ptr<MessageQueue>> queues;
};

QueueTable& Queues() {
    static QueueTable* table = new QueueTable();
    return *table;
}

void Wake(MessageQueue& queue) {
    uint64_t one = 1;
    ssize_t written = write(queue.wake, &one, sizeof(one));
    (void)written;
}

// Answers a sent message and wakes its sender.
void Answer(SentMessage& sent, LRESULT result) {
    sent.result = result;
    sent.done.store(true, std::memory_order_release);
    Wake(*sent.sender);
}

// The queue of the running thread, made on first use. When the thread ends,
// what was sent to it and not handled is answered with 0, as Windows
// answers a send to a thread that has gone.
struct OwnQueue {
    std::shared_ptr<MessageQueue> queue;
    OwnQueue() : queue(std::make_shared<MessageQueue>()) {
        queue->threadId = GetCurrentThreadId();
        queue->wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        QueueTable& table = Queues();
        std::lock_guard<std::mutex> lock(table.mutex);
        table.queues[queue->threadId] = queue;
    }
    ~OwnQueue() {
        std::deque<std::shared_ptr<SentMessage>> unanswered;
        {
            std::lock_guard<std::mutex> lock(queue->mutex);
            queue->ended = true;
            unanswered.swap(queue->sent);
        }
        for (auto& sent : unanswered)
            Answer(*sent, 0);
    }
};

OwnQueue& CurrentOwnQueue() {
    thread_local OwnQueue own;
    return own;
}

MessageQueue& CurrentQueue() {
    return *CurrentOwnQueue().queue;
}

std::shared_ptr<MessageQueue> QueueOfThread(DWORD threadId) {
    if (threadId == GetCurrentThreadId()) return CurrentOwnQueue().queue;
    QueueTable& table = Queues();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.queues.find(threadId);
    return it == table.queues.end() ? nullptr : it->second;
}

// Empties the eventfd after a wake, so that the next poll sleeps.
void ClearWake(MessageQueue& queue) {
    uint64_t count;
    ssize_t got = read(queue.wake, &count, sizeof(count));
    (void)got;
}

// Sleeps until the queue is woken or `timeout` milliseconds (-1: no limit) pass.
void SleepOnQueue(MessageQueue& queue, int timeout) {
    pollfd wake = {queue.wake, POLLIN, 0};
    if (poll(&wake, 1, timeout) > 0) ClearWake(queue);
}

// How deep the thread is in handling messages sent by other threads.
thread_local int handlingSentMessages = 0;

// Handles every message other threads have sent to this thread's windows,
// oldest first, and answers each.
void DeliverSentMessages() {
    MessageQueue& queue = CurrentQueue();
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard<std::mutex> lock(queue.mutex);
            if (queue.sent.empty()) return;
            sent = std::move(queue.sent.front());
            queue.sent.pop_front();
        }
        // Answered also when the procedure raises, so the sender never waits for ever.
        struct Reply {
            SentMessage& sent;
            LRESULT result = 0;
            ~Reply() {
                --handlingSentMessages;
                Answer(sent, result);
            }
        } reply{*sent};
        ++handlingSentMessages;
        reply.result = Send(sent->window, sent->message, sent->wParam, sent->lParam);
    }
}

bool SentMessagePending() {
    MessageQueue& queue = CurrentQueue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    return !queue.sent.empty();
}

// SendMessageA to a window of another thread: queued there, then waited for.
LRESULT SendToOtherThread(const WindowPtr& target, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<MessageQueue> receiver = QueueOfThread(target->threadId);
    if (!receiver) return 0;
    auto sent = std::make_shared<SentMessage>();
    sent->window = target;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = CurrentOwnQueue().queue;
    {
        std::lock_guard<std::mutex> lock(receiver->mutex);
        if (receiver->ended) return 0;
        receiver->sent.push_back(sent);
    }
    Wake(*receiver);
    // While it waits, the thread handles what others send to it, so that two
    // threads sending to each other do not wait for ever.
    MessageQueue& own = CurrentQueue();
    for (;;) {
        DeliverSentMessages();
        if (sent->done.load(std::memory_order_acquire)) return sent->result;
        SleepOnQueue(own, -1);
    }
}

// SendMessageA to one window: called at once on the window's own thread
// (and for the desktop, which belongs to no thread), queued for another.
LRESULT SendFromThisThread(const WindowPtr& target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target->threadId == 0 || target->threadId == GetCurrentThreadId())
        return Send(target, message, wParam, lParam);
    return SendToOtherThread(target, message, wParam, lParam);
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    POINT cursor;
    GetCursorPos(&cursor);
    msg.pt = cursor;
    return msg;
}

// Which messages a PeekMessageA call asks for.
struct Filter {
    bool threadOnly = false;  // window -1: messages without a window
    WindowPtr window;         // null: any window of the thread
    UINT first = 0, last = 0; // both zero: every message
    UINT kinds = QS_ALLINPUT; // the QS_ kinds asked for (PM_QS_ flags)

    bool InRange(UINT message) const {
        return (first == 0 && last == 0) || (message >= first && message <= last);
    }
    bool MatchesWindow(HWND target) const {
        if (threadOnly) return target == nullptr;
        return !window || (target && IsSelfOrDescendant(*window, target));
    }
};

// The first window of the thread, parents before children and in z-order,
// that is shown and needs painting.
WindowPtr WindowToPaint(const Window& parent, const Filter& filter, DWORD thread) {
    for (const WindowPtr& window : ChildrenOf(parent)) {
        if (window->threadId != thread || !IsShown(*window)) continue;
        if (window->hasUpdate && filter.MatchesWindow(window->handle)) return window;
        if (WindowPtr child = WindowToPaint(*window, filter, thread)) return child;
    }
    return nullptr;
}

bool TakeMessage(MSG& out, const Filter& filter, bool remove) {
    MessageQueue& queue = CurrentQueue();
    if (filter.kinds & QS_POSTMESSAGE) {
        std::lock_guard<std::mutex> lock(queue.mutex);
        queue.postedSinceLook = false;
        for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
            if (!filter.InRange(it->message) || !filter.MatchesWindow(it->hwnd)) continue;
            out = *it;
            if (remove) queue.posted.erase(it);
            return true;
        }
        // WM_QUIT waits until no posted message is left for this call; no
        // filter holds it back, as PeekMessageA is documented to behave.
        if (queue.quitRequested) {
            out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
            if (remove) queue.quitRequested = false;
            return true;
        }
    }
    if ((filter.kinds & QS_PAINT) && !filter.threadOnly && filter.InRange(WM_PAINT)) {
        // WM_PAINT stays until the window is validated (BeginPaint does it).
        if (WindowPtr window = WindowToPaint(*Desktop(), filter, queue.threadId)) {
            out = MakeMessage(window->handle, WM_PAINT, 0, 0);
            return true;
        }
    }
    if ((filter.kinds & QS_TIMER) && filter.InRange(WM_TIMER)) {
        DWORD now = GetTickCount();
        for (Timer& timer : queue.timers) {
            if (static_cast<int32_t>(now - timer.due) < 0 || !filter.MatchesWindow(timer.window))
                continue;
            out = MakeMessage(timer.window, WM_TIMER, timer.id,
                              reinterpret_cast<LPARAM>(timer.callback));
            if (remove) timer.due = now + timer.period;
            return true;
        }
    }
    return false;
}

bool AnyMessage() {
    MSG ignored;
    return TakeMessage(ignored, Filter{}, false);
}

// Milliseconds until the next timer is due (0 when one is), or -1 without timers.
int NextTimerWait() {
    MessageQueue& queue = CurrentQueue();
    if (queue.timers.empty()) return -1;
    DWORD now = GetTickCount();
    int wait = 0x7FFFFFFF;
    for (const Timer& timer : queue.timers)
        wait = std::min(wait, std::max(0, static_cast<int>(static_cast<int32_t>(timer.due - now))));
    return wait;
}

// Waits until the queue holds a message. Nobody at the terminal: the host
// plays the user instead of waiting for ever.
void WaitForMessages() {
    MessageQueue& queue = CurrentQueue();
    bool told = false;
    for (;;) {
        DeliverSentMessages();
        if (AnyMessage()) return;
        int timeout = NextTimerWait();
        bool person = PersonAtTerminal();
        if (timeout < 0 && !person) {
            PlayTheUser();
            continue;
        }
        if (person && !told && timeout < 0) {
            std::fprintf(stderr, "hostwin: the program waits for input; press Enter to close its "
                                 "window, Ctrl-C to stop it\n");
            told = true;
        }
        pollfd fds[2] = {{queue.wake, POLLIN, 0}, {0, POLLIN, 0}};
        int ready = poll(fds, person ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR) return;
        if (fds[0].revents & POLLIN) ClearWake(queue);
        if (person && (fds[1].revents & (POLLIN | POLLHUP))) {
            std::string line;
            if (ReadTerminalLine(line)) PlayTheUser();
        }
    }
}

// Whether input of the kinds in `mask` (QS_ flags) has come: a message sent
// by another thread, a message posted since the thread last looked at its
// queue (a wait that it ends counts as a look), a due timer. The host has no
// keyboard, mouse or paint input to wait for.
bool InputArrived(DWORD mask) {
    if ((mask & QS_SENDMESSAGE) && SentMessagePending()) return true;
    if (mask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) {
        MessageQueue& queue = CurrentQueue();
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (std::exchange(queue.postedSinceLook, false)) return true;
    }
    return (mask & QS_TIMER) && NextTimerWait() == 0;
}

// The kernel objects of a wait, each told to wake the thread's queue when it
// becomes signalled, for as long as the wait lasts.
class WatchedObjects {
public:
    explicit WatchedObjects(int wake) : wake_(wake) {}
    WatchedObjects(const WatchedObjects&) = delete;
    WatchedObjects& operator=(const WatchedObjects&) = delete;
    ~WatchedObjects() {
        for (auto& object : objects_)
            object->Unwatch(wake_);
    }
    // False when the handle names no object that can be waited on.
    bool Add(HANDLE handle) {
        std::shared_ptr<KernelObject> object = LookupHandle(handle);
        if (!object || !object->Watch(wake_)) return false;
        objects_.push_back(std::move(object));
        return true;
    }
    // WAIT_OBJECT_0 + the index of the first signalled object (with
    // `all`, WAIT_OBJECT_0 once every one is), else WAIT_TIMEOUT.
    DWORD Signalled(bool all) const {
        for (size_t i = 0; i < objects_.size(); ++i) {
            bool signalled = objects_[i]->Wait(0) == WAIT_OBJECT_0;
            if (signalled && !all) return WAIT_OBJECT_0 + static_cast<DWORD>(i);
            if (!signalled && all) return WAIT_TIMEOUT;
        }
        return all ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }

private:
    int wake_;
    std::vector<std::shared_ptr<KernelObject>> objects_;
};

} // namespace

namespace hostwin {

void PostToQueue(DWORD threadId, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<MessageQueue> queue = QueueOfThread(threadId);
    if (!queue) return;
    {
        std::lock_guard<std::mutex> lock(queue->mutex);
        queue->posted.push_back(MakeMessage(window, message, wParam, lParam));
        queue->postedSinceLook = true;
    }
    Wake(*queue);
}

void EnsureMessageQueue() {
    CurrentQueue();
}

void ForgetQueuedMessages(HWND window) {
    std::vector<std::shared_ptr<MessageQueue>> all;
    {
        QueueTable& table = Queues();
        std::lock_guard<std::mutex> lock(table.mutex);
        for (auto& [thread, queue] : table.queues)
            all.push_back(queue);
    }
    for (auto& queue : all) {
        std::lock_guard<std::mutex> lock(queue->mutex);
        std::erase_if(queue->posted, [&](const MSG& msg) { return msg.hwnd == window; });
    }
    std::erase_if(CurrentQueue().timers,
                  [&](const Timer& timer) { return timer.window == window; });
}

LRESULT Send(const WindowPtr& window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window || window->destroyed) return 0;
    WindowPtr keepAlive = window;
    WNDPROC procedure = window->procedure;
    if (!procedure) return DefWindowProcA(window->handle, message, wParam, lParam);
    return procedure(window->handle, message, wParam, lParam);
}

} // namespace hostwin

extern "C" {

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Filter filter;
    filter.first = first;
    filter.last = last;
    // PM_QS_ flags in the high word restrict the kinds of message handled.
    if (remove >> 16) filter.kinds = remove >> 16;
    if (window == reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1))) {
        filter.threadOnly = true;
    } else if (window) {
        filter.window = RequireWindow(window);
        if (!filter.window) return FALSE;
    }
    if (filter.kinds & QS_SENDMESSAGE) DeliverSentMessages();
    MSG taken;
    if (!TakeMessage(taken, filter, (remove & PM_REMOVE) != 0)) return FALSE;
    *message = taken;
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT first, UINT last) {
    if (window && window != reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)) &&
        !RequireWindow(window))
        return -1;
    for (;;) {
        if (PeekMessageA(message, window, first, last, PM_REMOVE))
            return message->message != WM_QUIT;
        WaitForMessages();
    }
}

BOOL WINAPI WaitMessage() {
    if (!AnyMessage()) WaitForMessages();
    return TRUE;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == HWND_BROADCAST) {
        for (const WindowPtr& target : TopLevelWindows())
            PostToQueue(target->threadId, target->handle, message, wParam, lParam);
        return TRUE;
    }
    if (!window) return PostThreadMessageA(GetCurrentThreadId(), message, wParam, lParam);
    WindowPtr target = RequireWindow(window);
    if (!target) return FALSE;
    PostToQueue(target->threadId, window, message, wParam, lParam);
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!QueueOfThread(threadId)) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    PostToQueue(threadId, nullptr, message, wParam, lParam);
    return TRUE;
}

BOOL WINAPI InSendMessage() {
    return handlingSentMessages > 0;
}

void WINAPI PostQuitMessage(int exitCode) {
    MessageQueue& queue = CurrentQueue();
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        queue.quitRequested = true;
        queue.quitCode = exitCode;
        queue.postedSinceLook = true;
    }
    Wake(queue);
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == HWND_BROADCAST) {
        for (const WindowPtr& target : TopLevelWindows())
            SendFromThisThread(target, message, wParam, lParam);
        return TRUE;
    }
    WindowPtr target = RequireWindow(window);
    if (!target) return 0;
    return SendFromThisThread(target, message, wParam, lParam);
}

BOOL WINAPI TranslateMessage(const MSG* message) {
    if (!message) return FALSE;
    if (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN) {
        return message->message == WM_KEYUP || message->message == WM_SYSKEYUP;
    }
    // Keys that make characters post the character (no shift key is ever down).
    WPARAM key = message->wParam;
    WPARAM character = 0;
    if (key >= 'A' && key <= 'Z')
        character = key - 'A' + 'a';
    else if ((key >= '0' && key <= '9') || key == ' ' || key == VK_RETURN || key == VK_ESCAPE ||
             key == VK_TAB || key == 0x08)
        character = key;
    if (character)
        PostMessageA(message->hwnd, message->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                     character, message->lParam);
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (!message) return 0;
    if (message->message == WM_TIMER && message->lParam) {
        // A timer with a callback calls it instead of the window procedure.
        reinterpret_cast<TIMERPROC>(message->lParam)(message->hwnd, WM_TIMER, message->wParam,
                                                     GetTickCount());
        return 0;
    }
    if (!message->hwnd) return 0;
    WindowPtr target = RequireWindow(message->hwnd);
    if (!target) return 0;
    return Send(target, message->message, message->wParam, message->lParam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                               LPARAM lParam) {
    if (!procedure) return 0;
    return procedure(window, message, wParam, lParam);
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback) {
    if (window && !RequireWindow(window)) return 0;
    MessageQueue& queue = CurrentQueue();
    if (!window) {
        // A timer without a window gets an identifier of its own.
        static UINT_PTR nextId = 0x7000;
        id = ++nextId;
    }
    UINT period = std::max(elapse, kMinimumTimerPeriod);
    if (period > 0x7FFFFFFF) period = 0x7FFFFFFF;
    Timer timer{window, id, period, callback, GetTickCount() + period};
    for (Timer& existing : queue.timers)
        if (existing.window == window && existing.id == id) {
            existing = timer;
            return id;
        }
    queue.timers.push_back(timer);
    return window ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    MessageQueue& queue = CurrentQueue();
    size_t removed = std::erase_if(
        queue.timers, [&](const Timer& t) { return t.window == window && t.id == id; });
    if (!removed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A WM_TIMER already posted for it is not delivered any more.
    return TRUE;
}

} // extern "C"

extern "C" DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                                  DWORD milliseconds, DWORD wakeMask) {
    if (count >= MAXIMUM_WAIT_OBJECTS || (count > 0 && !handles)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    MessageQueue& queue = CurrentQueue();
    WatchedObjects objects(queue.wake);
    for (DWORD i = 0; i < count; ++i) {
        if (!objects.Add(handles[i])) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    const DWORD start = GetTickCount();
    for (;;) {
        // Objects come before input, the first signalled one first, as Windows reports them.
        DWORD signalled = objects.Signalled(waitAll != FALSE);
        if (!waitAll && signalled != WAIT_TIMEOUT) return signalled;
        if ((!waitAll || signalled == WAIT_OBJECT_0) && InputArrived(wakeMask))
            return waitAll ? WAIT_OBJECT_0 : WAIT_OBJECT_0 + count;
        int timeout = -1;
        if (milliseconds != INFINITE) {
            DWORD elapsed = GetTickCount() - start;
            if (elapsed >= milliseconds) return WAIT_TIMEOUT;
            timeout = static_cast<int>(std::min<DWORD>(milliseconds - elapsed, 0x7FFFFFFF));
        }
        int timer = (wakeMask & QS_TIMER) ? NextTimerWait() : -1;
        if (timer >= 0 && (timeout < 0 || timer < timeout)) timeout = timer;
        SleepOnQueue(queue, timeout);
    }
}
