// The one scope guard of the program: runs an action when the scope ends,
// normally or by an exception, so that the undoing stands beside what it
// undoes. The action must not throw (it runs in a destructor).
#pragma once

#include <utility>

template <class TAction> class TScopeExit {
public:
    explicit TScopeExit(TAction action) : action_(std::move(action)) {}
    ~TScopeExit() { action_(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    TAction action_;
};
