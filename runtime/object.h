// TObject, the root of the framework's class tree, and its class records.
//
// Construction and destruction follow two phases so that virtual operations
// behave as in a language whose constructors run with the final class:
// the C++ constructor only sets field defaults; the class's construction
// operation (for components the virtual Create with an owner) runs on the
// complete object, and ConstructionFinished runs once after it. Destruction
// runs DestructionStarting, then the virtual Destroy chain on the complete
// object, then the C++ destructor.
#pragma once

#include <memory>
#include <string_view>

struct TClass;

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    // The class record of the object's class.
    virtual const TClass* ClassType() const;
    // The class name as recorded in the class record.
    const char* ClassName() const;
    // True when the object's class is cls or derives from it.
    bool InheritsFrom(const TClass* cls) const;

    // Runs once after the outermost construction step.
    virtual void ConstructionFinished() {}
    // Runs once before Destroy.
    virtual void DestructionStarting() {}
    // The destructor chain: overrides do their work and then call the base.
    virtual void Destroy() {}

    static const TClass ClassInfo;
};

// Destroys an object: DestructionStarting, Destroy, then the storage. Null is ignored.
void FreeObject(TObject* object);

// Destroys an object whose construction failed: Destroy and the storage, without
// DestructionStarting.
void DiscardObject(TObject* object);

// Owning pointer that destroys through FreeObject.
struct TObjectDeleter {
    void operator()(TObject* object) const { FreeObject(object); }
};
template <class T> using TOwned = std::unique_ptr<T, TObjectDeleter>;

// The object as T when its class is T or derives from it, else null.
template <class T> T* As(TObject* object) {
    return object && object->InheritsFrom(&T::ClassInfo) ? static_cast<T*>(object) : nullptr;
}
template <class T> const T* As(const TObject* object) {
    return object && object->InheritsFrom(&T::ClassInfo) ? static_cast<const T*>(object) : nullptr;
}

// In a class body: the class record and the override that returns it.
#define DECLARE_CLASS_INFO()                                                                       \
    static const TClass ClassInfo;                                                                 \
    const TClass* ClassType() const override {                                                     \
        return &ClassInfo;                                                                         \
    }
