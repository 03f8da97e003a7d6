// Binding a member function of an object to an event slot or a hook.
#pragma once

#include "runtime/typeinfo.h"

// The bound method that calls Method on object (code then object, as event
// slots hold it). Method's first argument after the object is the sender.
template <auto Method> TMethod BindMethod(TObject* object) {
    return TMethod{
        reinterpret_cast<TCodePointer>(&typeinfo_detail::Trampoline<Method>::Call), object};
}

// The same, typed for an event slot.
template <auto Method, class Event> Event BindEvent(TObject* object) {
    return Event{BindMethod<Method>(object)};
}
