// Creation of an object from its class record, for code that names the class
// at run time (a form class handed to the application, a component class read
// from a description, a collection's item class).
#pragma once

#include "runtime/exceptions.h"
#include "runtime/object.h"
#include "runtime/resstrings.h"
#include "runtime/typeinfo.h"

// A new object of the class, as a T, with only its field defaults set (the
// caller runs its construction). When there is no class, the class cannot be
// created by name or is not a T, the object made, if any, is freed and TError
// is raised with the abstract-class message naming the class ("?" for none).
template <class T, class TError> T* NewInstanceAs(const TClass* cls) {
    TObject* object = cls && cls->NewObject ? cls->NewObject() : nullptr;
    if (T* instance = As<T>(object)) return instance;
    delete object;
    throw TError(FormatResString(SAbstractError, {cls ? cls->Name : "?"}));
}
