// Binding a member function of an object to an event slot or a hook.
#pragma once

#include "runtime/typeinfo.h"

namespace bound_method_detail {
template <auto Method> struct Invoker;
template <class C, class R, class... A, R (C::*Method)(A...)> struct Invoker<Method> {
    static R Call(TObject* self, A... args) { return (static_cast<C*>(self)->*Method)(args...); }
};
} // namespace bound_method_detail

// The bound method that calls Method on object (code then object, as event
// slots and hooks hold it). The code takes the object first, then Method's
// arguments, and returns Method's result.
template <auto Method> TMethod BindMethod(TObject* object) {
    return TMethod{reinterpret_cast<TCodePointer>(&bound_method_detail::Invoker<Method>::Call),
                   object};
}

// The same, typed for an event slot.
template <auto Method, class Event> Event BindEvent(TObject* object) {
    return Event{BindMethod<Method>(object)};
}
