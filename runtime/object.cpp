#include "runtime/object.h"

#include "runtime/typeinfo.h"

constinit const TClass TObject::ClassInfo = MakeClass<TObject>("TObject", nullptr);

const TClass* TObject::ClassType() const {
    return &ClassInfo;
}

const char* TObject::ClassName() const {
    return ClassType()->Name;
}

bool TObject::InheritsFrom(const TClass* cls) const {
    return ClassType()->InheritsFrom(cls);
}

void FreeObject(TObject* object) {
    if (!object) return;
    object->DestructionStarting();
    object->Destroy();
    delete object;
}

void DiscardObject(TObject* object) {
    if (!object) return;
    object->Destroy();
    delete object;
}
