// The reader's component level: roots, children, bodies, property records and
// the assignment of values through the type information.
#include "framework/classes/collection.h"
#include "framework/classes/component.h"
#include "framework/streaming/reader.h"
#include "framework/streaming/registries.h"
#include "framework/streaming/stream.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "runtime/scope_exit.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Restores a field when the scope ends, normally or not.
template <class T> class TRestore {
public:
    explicit TRestore(T& field) : FField(field), FSaved(field) {}
    ~TRestore() { FField = FSaved; }
    TRestore(const TRestore&) = delete;
    TRestore& operator=(const TRestore&) = delete;

private:
    T& FField;
    T FSaved;
};

// Cuts an ordinal to the width and signedness the property stores.
int64_t FitOrdinal(int64_t value, TOrdinalStorage storage) {
    switch (storage) {
    case osSByte:
        return static_cast<int8_t>(value);
    case osUByte:
        return static_cast<uint8_t>(value);
    case osSWord:
        return static_cast<int16_t>(value);
    case osUWord:
        return static_cast<uint16_t>(value);
    case osSLong:
        return static_cast<int32_t>(value);
    case osULong:
        return static_cast<uint32_t>(value);
    }
    return value;
}

// The value of a float property in the representation its kind stores:
// comp rounds to an integer, currency holds the amount times 10000 rounded.
TPropValue FloatValue(TExtended value, TFloatKind kind) {
    switch (kind) {
    case fkComp:
        return static_cast<int64_t>(std::llround(value));
    case fkCurrency:
        return static_cast<int64_t>(std::llround(value * 10000));
    case fkSingle:
        return static_cast<TExtended>(static_cast<float>(value));
    case fkDouble:
        return static_cast<TExtended>(static_cast<double>(value));
    case fkExtended:
        break;
    }
    return value;
}

void SetProperty(TPersistent* object, const TPropInfo* property, TPropValue value) {
    property->Set(object, value);
}

TObject* HeldObject(const TPersistent* object, const TPropInfo* property) {
    if (!property->Get) return nullptr;
    TPropValue value = property->Get(object);
    auto* held = std::get_if<TObject*>(&value);
    return held ? *held : nullptr;
}

// The class of a published field of cls or its ancestors below TPersistent.
const TClass* FieldClassNamed(const TClass* cls, std::string_view name) {
    for (; cls && cls != &TPersistent::ClassInfo; cls = cls->Parent)
        for (const TClass* field : cls->FieldClasses)
            if (SameName(field->Name, name)) return field;
    return nullptr;
}

} // namespace

TComponent* TStream::LoadTree(TComponent* root) {
    TReader reader(*this, TReader::DefaultChunkSize);
    return reader.LoadRoot(root);
}

TComponent* TReader::LoadRoot(TComponent* root) {
    CheckMagic();
    TWriteGuard lock(NameSpaceLock());
    TComponent* const given = root;
    TComponent* created = nullptr;
    std::unique_ptr<TLoadedList> ownList;
    std::optional<TActiveLoadedList> activeList;
    try {
        TPrefixFlags flags;
        int32_t position = 0;
        ReadHeaderFlags(flags, position);
        if (!root) {
            const TClass* cls = RequireRegisteredClass(ReadShortText());
            created = root = ConstructComponent(cls, nullptr);
            root->SetName(ReadShortText());
        } else {
            ReadShortText(); // the class name is not compared with the root's class
            if (root->HasState(lsDesignTime)) {
                ReadShortText();
            } else {
                root->IncludeState(lsLoading | lsReading);
                root->SetName(MakeUniqueName(ReadShortText()));
            }
        }
        AssignRoot(root);
        FNameScope = root;
        FLoadedList = CurrentLoadBatch();
        if (!FLoadedList) {
            ownList = std::make_unique<TLoadedList>();
            activeList.emplace(*ownList);
            FLoadedList = ownList.get();
        }
        if (std::find(FLoadedList->begin(), FLoadedList->end(), root) == FLoadedList->end())
            FLoadedList->push_back(root);
        FOwnerForNew = root;
        root->IncludeState(lsLoading | lsReading);
        root->ApplyDescription(*this);
        root->ExcludeState(lsReading);
        if (ownList)
            for (size_t i = 0; i < ownList->size(); ++i)
                (*ownList)[i]->DescriptionLoaded();
        FLoadedList = nullptr;
        ApplyGlobalRefs();
        return root;
    } catch (...) {
        FLoadedList = nullptr;
        DropGlobalRefs(given, "");
        if (created) DestroyCreated(created);
        throw;
    }
}

std::string TReader::MakeUniqueName(std::string_view name) {
    if (!GlobalComponentLookup) return {};
    std::string result(name);
    for (int counter = 1; GlobalComponentLookup(result); ++counter)
        result = Format("%s_%d", {name, counter});
    return result;
}

TComponent* TReader::CreateChild(const TClass* cls, bool embedded) {
    return ConstructComponent(cls, FOwnerForNew, embedded ? TLifeState(lsLoading | lsEmbedded) : 0);
}

void TReader::DestroyCreated(TComponent* component) {
    if (!component) return;
    // Neither the reader's own list nor an open batch may keep it or its children.
    ForgetLoadedComponent(component);
    FreeObject(component);
}

TComponent* TReader::LoadChild(TComponent* component) {
    TPrefixFlags flags;
    int32_t position = 0;
    ReadHeaderFlags(flags, position);
    std::string className = ReadShortText();
    std::string name = ReadShortText();
    TNesting nesting(*this);
    TRestore restoreParent(FParentForNew);
    TRestore restoreScope(FNameScope);
    const bool fromAncestor = (flags & pfFromAncestor) != 0;
    const bool creates = !component && !fromAncestor;
    TComponent* result = component;
    try {
        if (!result) {
            const TClass* cls = ResolveComponentClass(className);
            if (fromAncestor) {
                result = LocateAncestor(name, cls);
                FParentForNew = result->ParentComponentOf();
                if (!FParentForNew) FParentForNew = FRootComponent;
            } else {
                if (OnComponentFactory) OnComponentFactory(*this, cls, result);
                if (!result) result = CreateChild(cls, (flags & pfEmbedded) != 0);
                result->IncludeState(lsLoading);
            }
        }
        if (!result) return nullptr;
        result->IncludeState(lsLoading);
        if (!fromAncestor) {
            result->AttachToParent(FParentForNew);
            AssignName(result, name);
            if (GlobalComponentLookup && GlobalComponentLookup(result->Name()) == result)
                result->IncludeState(lsEmbedded);
        }
    } catch (const Exception& error) {
        if (creates) DestroyCreated(result);
        std::string message = error.Message();
        SkipComponentRecord(false);
        if (!ReportError(message)) throw;
        return nullptr;
    }
    try {
        if (result->HasState(lsEmbedded)) FNameScope = result;
        result->IncludeState(lsReading);
        result->ApplyDescription(*this);
        result->ExcludeState(lsReading);
        if ((flags & pfHasPosition) && FParentForNew) FParentForNew->PlaceChild(result, position);
        if (FLoadedList) {
            bool once = fromAncestor || result->HasState(lsEmbedded);
            if (!once ||
                std::find(FLoadedList->begin(), FLoadedList->end(), result) == FLoadedList->end())
                FLoadedList->push_back(result);
        }
    } catch (...) {
        result->ExcludeState(lsReading);
        if (creates) DestroyCreated(result);
        throw;
    }
    return result;
}

void TReader::LoadBody(TComponent* component) {
    if (FPendingRefs) {
        ReadBody(component);
        return;
    }
    // The outermost body collects the references of the whole read and
    // resolves them at its end.
    CollectReferences([&] { ReadBody(component); });
}

void TReader::CollectReferences(const std::function<void()>& read) {
    TFixupList references;
    TActiveFixupList active(references);
    FPendingRefs = &references;
    TScopeExit clear([this] { FPendingRefs = nullptr; });
    read();
    ApplyPendingRefs(*this);
}

void TReader::ReadBody(TComponent* component) {
    while (!AtListEnd())
        LoadProperty(component);
    CloseList();
    TRestore restoreParent(FParentForNew);
    TRestore restoreOwner(FOwnerForNew);
    FParentForNew = component->ChildParentFor();
    FOwnerForNew = component->ChildOwnerFor();
    if (!FOwnerForNew) FOwnerForNew = FRootComponent;
    while (!AtListEnd())
        LoadChild(nullptr);
    CloseList();
}

void TReader::RaisePropertyMissing() {
    SkipAnyValue();
    throw EReadError(LoadResString(SUnknownProperty));
}

void TReader::LoadProperty(TPersistent* object) {
    try {
        std::string path = ReadShortText();
        try {
            FRecoverable = true;
            TPersistent* current = object;
            size_t start = 0;
            for (size_t dot; (dot = path.find('.', start)) != std::string::npos; start = dot + 1) {
                FPendingName = path.substr(start, dot - start);
                const TPropInfo* property = current->ClassType()->FindProperty(FPendingName);
                if (!property) RaisePropertyMissing();
                TPersistent* next = property->Type->Kind == pkObjectRef
                                        ? As<TPersistent>(HeldObject(current, property))
                                        : nullptr;
                if (!next) {
                    SkipAnyValue();
                    throw EReadError(LoadResString(SInvalidPropertyPath));
                }
                current = next;
            }
            FPendingName = path.substr(start);
            // A path ending in "." names nothing; its value must not be left unread.
            if (FPendingName.empty()) RaisePropertyMissing();
            if (const TPropInfo* property = current->ClassType()->FindProperty(FPendingName)) {
                AssignValue(current, property);
            } else {
                FRecoverable = false;
                current->DeclareExtraProperties(*this);
                FRecoverable = true;
                if (!FPendingName.empty()) RaisePropertyMissing();
            }
        } catch (const Exception& error) {
            auto* component = As<TComponent>(object);
            std::string owner =
                component && !component->Name().empty() ? component->Name() : object->ClassName();
            throw EReadError(
                FormatResString(SPropertyReadError, {owner, ".", path, error.Message()}));
        }
    } catch (const Exception& error) {
        if (!FRecoverable || !ReportError(error.Message())) throw;
    }
}

void TReader::AssignValue(TPersistent* object, const TPropInfo* property) {
    const TTypeInfo* type = property->Type;
    if (!property->HasSetter()) {
        // The value is skipped so that a handled error leaves the reader at
        // the next property record.
        SkipAnyValue();
        throw EReadError(LoadResString(SReadOnlyProperty));
    }
    switch (type->Kind) {
    case pkOrdinal: {
        int32_t value = 0;
        if (PeekTag() == tgName) {
            std::string ident = ReadNameValue();
            TIdentToInt toInt = FindIdentMap(type);
            if (!toInt || !toInt(ident, value)) RaiseInvalidValue();
        } else {
            value = ReadIntValue();
        }
        SetProperty(object, property, FitOrdinal(value, type->Storage));
        break;
    }
    case pkCharacter:
        SetProperty(object, property, static_cast<int64_t>(ReadCharValue()));
        break;
    case pkChoice: {
        int ordinal = type->MemberOrdinal(ReadNameValue());
        if (ordinal == -1) RaiseInvalidValue();
        SetProperty(object, property, FitOrdinal(ordinal, type->Storage));
        break;
    }
    case pkReal:
        SetProperty(object, property, FloatValue(ReadFloatValue(), type->FloatKind));
        break;
    case pkShortText:
    case pkText:
    case pkWideText: {
        std::string text = ReadTextValue();
        if (type->Kind == pkShortText && type->MaxLength > 0 &&
            text.size() > static_cast<size_t>(type->MaxLength))
            text.resize(static_cast<size_t>(type->MaxLength));
        SetProperty(object, property, std::move(text));
        break;
    }
    case pkFlagSet:
        SetProperty(object, property, FitOrdinal(ReadSetValue(type->ElementType), type->Storage));
        break;
    case pkObjectRef:
        AssignObjectRef(object, property);
        break;
    case pkHandler:
        if (PeekTag() == tgNone) {
            TakeTag();
            SetProperty(object, property, TMethod{});
        } else {
            std::string name = ReadNameValue();
            TCodePointer code = LookupMethod(FRootComponent, name);
            if (!code) break;
            // A published method is bound only to an event of its own
            // parameters: the event calls the code as the event's type.
            // Code that OnMethodLookup supplies is the hook's to vouch for.
            const TMethodEntry* method =
                FRootComponent ? FRootComponent->ClassType()->FindMethodEntry(name) : nullptr;
            if (method && method->Code == code && method->Signature != type->Signature)
                RaiseInvalidValue();
            SetProperty(object, property, TMethod{code, FRootComponent});
        }
        break;
    case pkVariantData:
        SetProperty(object, property, ReadVariantValue());
        break;
    case pkOrdinal64:
        SetProperty(object, property, ReadInt64Value());
        break;
    case pkWideCharacter:
    case pkOther:
        // No conversion exists for these kinds: the value is skipped, nothing is set.
        SkipAnyValue();
        break;
    }
}

void TReader::AssignObjectRef(TPersistent* object, const TPropInfo* property) {
    switch (PeekTag()) {
    case tgNone:
        TakeTag();
        SetProperty(object, property, static_cast<TObject*>(nullptr));
        return;
    case tgItems: {
        auto* collection = As<TCollection>(HeldObject(object, property));
        if (!collection) {
            SkipAnyValue();
            RaiseInvalidValue();
        }
        TakeTag();
        ReadCollectionValue(collection);
        return;
    }
    default: {
        TOwned<TPropFixup> fixup(new TPropFixup());
        fixup->FTarget = object;
        fixup->FTargetRoot = FRootComponent;
        fixup->FTargetProp = property;
        fixup->FPathText = ReadNameValue();
        if (FPendingRefs) {
            FPendingRefs->push_back(std::move(fixup));
            return;
        }
        // A property record read outside a whole body (a user of the reader
        // calling LoadProperty): its reference is resolved at once, as the
        // end of a body would.
        CollectReferences([&] { FPendingRefs->push_back(std::move(fixup)); });
        return;
    }
    }
}

void TReader::ReadCollectionValue(TCollection* collection) {
    TNesting nesting(*this);
    TCollection::TUpdateBracket update(*collection);
    if (!AtListEnd()) collection->Clear();
    while (!AtListEnd()) {
        uint8_t tag = PeekTag();
        if (tag == tgSigned8 || tag == tgSigned16 || tag == tgSigned32) ReadIntValue();
        TCollectionItem* item = collection->Add();
        OpenList();
        while (!AtListEnd())
            LoadProperty(item);
        CloseList();
    }
    CloseList();
}

void TReader::AcceptCustomProperty(std::string_view name, const TReaderProc& read,
                                   const TWriterProc&, bool) {
    if (!read || FPendingName.empty() || !SameName(name, FPendingName)) return;
    read(*this);
    FPendingName.clear();
}

void TReader::AcceptCustomBinary(std::string_view name, const TStreamProc& read, const TStreamProc&,
                                 bool) {
    if (!read || FPendingName.empty() || !SameName(name, FPendingName)) return;
    if (TakeTag() != tgBlob) {
        StepBack();
        SkipAnyValue();
        FRecoverable = true;
        RaiseInvalidValue();
    }
    TMemoryStream block;
    int64_t remaining = ReadLength();
    // The block grows as its bytes arrive (a length beyond the stream fails
    // with the stream read error before anything large is allocated).
    while (remaining > 0) {
        int32_t step = static_cast<int32_t>(std::min<int64_t>(remaining, sizeof FScratch));
        TakeBytes(FScratch, step);
        block.WriteBuffer(FScratch, step);
        remaining -= step;
    }
    block.SetPosition(0);
    FRecoverable = true;
    read(block);
    FPendingName.clear();
}

bool TReader::ReportError(const std::string& message) {
    bool handled = false;
    if (OnReadError) OnReadError(*this, message, handled);
    return handled;
}

const TClass* TReader::ResolveComponentClass(std::string_view className) {
    const TClass* cls =
        FRootComponent ? FieldClassNamed(FRootComponent->ClassType(), className) : nullptr;
    if (!cls) cls = LookupRegisteredClass(className);
    if (!cls && FNameScope && FNameScope != FRootComponent)
        cls = FieldClassNamed(FNameScope->ClassType(), className);
    if (OnClassLookup) OnClassLookup(*this, className, cls);
    if (!cls || !cls->InheritsFrom(&TComponent::ClassInfo))
        throw EClassNotFound(FormatResString(SClassNotFound, {className}));
    return cls;
}

TComponent* TReader::LocateAncestor(std::string_view name, const TClass* cls) {
    TComponent* component = FNameScope ? FNameScope->FindComponent(name) : nullptr;
    if (!component && OnAncestorMissing) OnAncestorMissing(*this, name, cls, component);
    if (!component) throw EReadError(FormatResString(SAncestorNotFound, {name}));
    return component;
}

TCodePointer TReader::LookupMethod(TComponent* root, std::string_view name) {
    TCodePointer code = root ? root->ClassType()->FindMethod(name) : nullptr;
    bool notFound = code == nullptr;
    if (OnMethodLookup) OnMethodLookup(*this, name, code, notFound);
    if (notFound) RaiseInvalidValue();
    return code;
}

void TReader::AssignName(TComponent* component, std::string name) {
    if (OnNameAssign) OnNameAssign(*this, component, name);
    component->SetName(name);
}

void TReader::AdjustReference(std::string& name) {
    if (OnReferenceResolve) OnReferenceResolve(*this, name);
}
