// A table of user or GDI objects by handle (menus, icons, fonts, brushes,
// device contexts), safe to use from several threads. Objects are held by
// shared pointers, so one looked up stays valid after it leaves the table.
#pragma once

#include "window_manager.h"

#include <map>
#include <memory>
#include <mutex>

namespace hostwin {

template <class Handle, class Object> class ObjectTable {
public:
    // Enters an object under a new handle.
    Handle Add(std::shared_ptr<Object> object) {
        Handle handle = reinterpret_cast<Handle>(NewObjectHandle());
        std::lock_guard<std::mutex> lock(mutex_);
        objects_[handle] = std::move(object);
        return handle;
    }

    // The object of a handle, or null.
    std::shared_ptr<Object> Find(Handle handle) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : it->second;
    }

    // Takes an object out of the table; false when the handle names none.
    bool Remove(Handle handle) {
        std::shared_ptr<Object> removed; // freed outside the lock
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end()) return false;
        removed = std::move(it->second);
        objects_.erase(it);
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::map<Handle, std::shared_ptr<Object>> objects_;
};

} // namespace hostwin
