// Type information: class records with their published properties, published
// methods and published field classes, declared per class in a compact table
// next to the class. The form description reader finds and sets properties
// only through this interface.
#pragma once

#include "runtime/object.h"
#include "runtime/variant.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

class TObject;

// Property kinds.
enum TPropKind : uint8_t {
    pkOrdinal,       // integers (also named integer types such as colours)
    pkCharacter,     // single-byte character
    pkChoice,        // enumerations, booleans included
    pkReal,          // floating point
    pkShortText,     // length-limited string
    pkFlagSet,       // sets
    pkObjectRef,     // objects
    pkHandler,       // events (bound methods)
    pkWideCharacter, // UTF-16 character
    pkText,          // counted 8-bit string
    pkWideText,      // UTF-16 string
    pkVariantData,   // variant
    pkOrdinal64,     // 64-bit integer
    pkOther,         // arrays, records, interfaces
};

// Storage of ordinal values: width and signedness.
enum TOrdinalStorage : uint8_t { osSByte, osUByte, osSWord, osUWord, osSLong, osULong };

// Floating-point kinds.
enum TFloatKind : uint8_t { fkSingle, fkDouble, fkExtended, fkComp, fkCurrency };

using TExtended = long double;

// Code address of a bound method (cast to the handler's own signature to call).
using TCodePointer = void (*)();

// A bound method: code then object. Empty when its code is null.
struct TMethod {
    TCodePointer Code = nullptr;
    TObject* Data = nullptr;
    bool Assigned() const { return Code != nullptr; }
    friend bool operator==(const TMethod&, const TMethod&) = default;
};

// The identity of a handler's parameter list. Published methods and event
// types with the same parameters share one record, so that a method is bound
// only to an event whose code it can be called as.
struct TSignature {
    const TSignature* Self; // distinct contents keep every record distinct
};
template <class... Args> inline constexpr TSignature SignatureOf{&SignatureOf<Args...>};

// A typed event slot: a bound method whose code takes the object first.
template <class... Args> struct TEvent {
    static constexpr const TSignature* Signature = &SignatureOf<Args...>;
    TMethod Method;
    bool Assigned() const { return Method.Assigned(); }
    void operator()(Args... args) const {
        reinterpret_cast<void (*)(TObject*, Args...)>(Method.Code)(Method.Data, args...);
    }
};
using TNotifyEvent = TEvent<TObject*>;

struct TClass;

// The type of a property.
struct TTypeInfo {
    const char* Name;
    TPropKind Kind;
    TOrdinalStorage Storage = osSLong;         // ordinals, choices, sets, characters
    TFloatKind FloatKind = fkDouble;           // reals
    std::span<const char* const> Members = {}; // choices: member names in ordinal order
    const TTypeInfo* ElementType = nullptr;    // sets: the element type
    int MinValue = 0, MaxValue = 0;            // integer element types of sets
    int MaxLength = 0;                         // length-limited strings
    const TClass* ObjectClass = nullptr;       // object references: the class held
    const TSignature* Signature = nullptr;     // handlers: the parameters of the event

    // Member ordinal by name: enumerations search their names ASCII
    // case-insensitively (-1 when absent or empty); integer element types
    // parse the text as a decimal integer (raises EConvertError on bad text).
    int MemberOrdinal(std::string_view name) const;
};

// A value passed through a property accessor.
using TPropValue = std::variant<std::monostate, int64_t, TExtended, std::string, std::u16string,
                                TObject*, TMethod, TVariant>;

// A published property.
struct TPropInfo {
    static constexpr int64_t NoDefault = INT64_MIN;

    const char* Name;
    const TTypeInfo* Type;
    TPropValue (*Get)(const TObject* object) = nullptr;
    void (*Set)(TObject* object, const TPropValue& value) = nullptr; // null: read-only
    int64_t Default = NoDefault; // ordinals: a writer leaves this value out
    bool Stored = true;          // false: never written

    bool HasSetter() const { return Set != nullptr; }
};

// A published method.
struct TMethodEntry {
    const char* Name;
    TCodePointer Code;
    const TSignature* Signature = nullptr; // its parameters (after the object)
};

// A class record.
struct TClass {
    const char* Name;
    const TClass* Parent;
    TObject* (*NewObject)() = nullptr; // allocation with defaults; null: not creatable by name
    std::span<const TPropInfo> Properties = {};
    std::span<const TMethodEntry> Methods = {};
    std::span<const TClass* const> FieldClasses = {};

    bool InheritsFrom(const TClass* other) const;
    // Published property by name (ASCII case-insensitive), searching the
    // class and then its ancestors; null when there is none.
    const TPropInfo* FindProperty(std::string_view name) const;
    // Published method by name (ASCII case-insensitive, at most 255 bytes
    // compared), searching the class and then its ancestors.
    TCodePointer FindMethod(std::string_view name) const;
    // The same search, giving the method's whole entry; null when none.
    const TMethodEntry* FindMethodEntry(std::string_view name) const;
};

// ASCII case-insensitive equality, the rule for every name of the class model.
bool SameName(std::string_view a, std::string_view b);

// --- Predefined types ------------------------------------------------------

extern const TTypeInfo TypeInteger, TypeCardinal, TypeSmallInt, TypeWord, TypeShortInt, TypeByte,
    TypeBoolean, TypeChar, TypeWideChar, TypeString, TypeShortString, TypeWideString, TypeSingle,
    TypeDouble, TypeExtended, TypeComp, TypeCurrency, TypeDateTime, TypeInt64, TypeVariant,
    TypeNotifyEvent, TypeObject;

// --- Building class records --------------------------------------------------

namespace typeinfo_detail {

template <class T> struct MemberTraits;
template <class C, class V> struct MemberTraits<V C::*> {
    using Class = C;
    using Value = V;
};
template <class C, class V> struct MemberTraits<V (C::*)() const> {
    using Class = C;
    using Value = V;
};
template <class C, class V> struct MemberTraits<void (C::*)(V)> {
    using Class = C;
    using Value = std::remove_cvref_t<V>;
};

template <class T> struct IsEvent : std::false_type {};
template <class... A> struct IsEvent<TEvent<A...>> : std::true_type {};

template <class V> TPropValue ToValue(const V& value) {
    if constexpr (std::is_same_v<V, bool> || std::is_integral_v<V> || std::is_enum_v<V>)
        return static_cast<int64_t>(value);
    else if constexpr (std::is_floating_point_v<V>)
        return static_cast<TExtended>(value);
    else if constexpr (std::is_pointer_v<V>)
        return static_cast<TObject*>(value);
    else if constexpr (IsEvent<V>::value)
        return value.Method;
    else if constexpr (std::is_same_v<V, TMethod>)
        return value;
    else
        return V(value); // std::string, std::u16string, TVariant
}

std::u16string AnsiTextToWide(const std::string& text);
std::string WideTextToAnsi(const std::u16string& text);

template <class V> V FromValue(const TPropValue& value) {
    if constexpr (std::is_same_v<V, bool>) {
        auto* i = std::get_if<int64_t>(&value);
        return i && *i != 0;
    } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
        auto* i = std::get_if<int64_t>(&value);
        return static_cast<V>(i ? *i : 0);
    } else if constexpr (std::is_floating_point_v<V>) {
        if (auto* f = std::get_if<TExtended>(&value)) return static_cast<V>(*f);
        if (auto* i = std::get_if<int64_t>(&value)) return static_cast<V>(*i);
        return V();
    } else if constexpr (std::is_pointer_v<V>) {
        auto* o = std::get_if<TObject*>(&value);
        return o ? As<std::remove_pointer_t<V>>(*o) : nullptr;
    } else if constexpr (IsEvent<V>::value) {
        auto* m = std::get_if<TMethod>(&value);
        return V{m ? *m : TMethod{}};
    } else if constexpr (std::is_same_v<V, std::u16string>) {
        if (auto* s = std::get_if<std::string>(&value)) return AnsiTextToWide(*s);
        auto* w = std::get_if<std::u16string>(&value);
        return w ? *w : std::u16string();
    } else if constexpr (std::is_same_v<V, std::string>) {
        if (auto* w = std::get_if<std::u16string>(&value)) return WideTextToAnsi(*w);
        auto* s = std::get_if<std::string>(&value);
        return s ? *s : std::string();
    } else {
        auto* v = std::get_if<V>(&value);
        return v ? *v : V();
    }
}

template <auto Getter> TPropValue Get(const TObject* object) {
    using Traits = MemberTraits<decltype(Getter)>;
    auto* self = static_cast<const typename Traits::Class*>(object);
    if constexpr (std::is_member_function_pointer_v<decltype(Getter)>)
        return ToValue<typename Traits::Value>((self->*Getter)());
    else
        return ToValue<typename Traits::Value>(self->*Getter);
}

template <auto Setter> void Set(TObject* object, const TPropValue& value) {
    using Traits = MemberTraits<decltype(Setter)>;
    auto* self = static_cast<typename Traits::Class*>(object);
    if constexpr (std::is_member_function_pointer_v<decltype(Setter)>)
        (self->*Setter)(FromValue<typename Traits::Value>(value));
    else
        self->*Setter = FromValue<typename Traits::Value>(value);
}

template <auto Method> struct Trampoline;
template <class C, class... A, void (C::*Method)(A...)> struct Trampoline<Method> {
    static void Call(TObject* self, A... args) { (static_cast<C*>(self)->*Method)(args...); }
    static constexpr const TSignature* Signature = &SignatureOf<A...>;
};

} // namespace typeinfo_detail

// A published property read through Getter and written through Setter; each
// may be a member function or a data member; Setter may be nullptr (read-only).
template <auto Getter, auto Setter>
constexpr TPropInfo Property(const char* name, const TTypeInfo* type,
                             int64_t defaultValue = TPropInfo::NoDefault, bool stored = true) {
    TPropInfo info{name, type};
    info.Get = &typeinfo_detail::Get<Getter>;
    if constexpr (!std::is_same_v<decltype(Setter), std::nullptr_t>)
        info.Set = &typeinfo_detail::Set<Setter>;
    info.Default = defaultValue;
    info.Stored = stored;
    return info;
}

// A published property stored directly in a field.
template <auto Field>
constexpr TPropInfo FieldProperty(const char* name, const TTypeInfo* type,
                                  int64_t defaultValue = TPropInfo::NoDefault) {
    return Property<Field, Field>(name, type, defaultValue);
}

// A published method: name and a code address that calls Method on the object.
template <auto Method> constexpr TMethodEntry PublishedMethod(const char* name) {
    return TMethodEntry{name,
                        reinterpret_cast<TCodePointer>(&typeinfo_detail::Trampoline<Method>::Call),
                        typeinfo_detail::Trampoline<Method>::Signature};
}

// The class record of T, derived from Base.
template <class T>
constexpr TClass MakeClass(const char* name, const TClass* parent,
                           std::span<const TPropInfo> properties = {},
                           std::span<const TMethodEntry> methods = {},
                           std::span<const TClass* const> fieldClasses = {}) {
    TClass cls{name, parent};
    if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>)
        cls.NewObject = []() -> TObject* { return new T(); };
    cls.Properties = properties;
    cls.Methods = methods;
    cls.FieldClasses = fieldClasses;
    return cls;
}

// An enumeration type over its member names.
constexpr TTypeInfo EnumType(const char* name, std::span<const char* const> members,
                             TOrdinalStorage storage = osUByte) {
    TTypeInfo info{name, pkChoice, storage};
    info.Members = members;
    return info;
}

// A set type over an element type, stored in the given width.
constexpr TTypeInfo SetType(const char* name, const TTypeInfo* element,
                            TOrdinalStorage storage = osUByte) {
    TTypeInfo info{name, pkFlagSet, storage};
    info.ElementType = element;
    return info;
}

// An integer type with an identity of its own (colours, character sets, cursors).
constexpr TTypeInfo NamedIntegerType(const char* name, TOrdinalStorage storage = osSLong) {
    return TTypeInfo{name, pkOrdinal, storage};
}

// The type of an event property of the slot type Event (a TEvent).
template <class Event> constexpr TTypeInfo EventType(const char* name) {
    TTypeInfo info{name, pkHandler};
    info.Signature = Event::Signature;
    return info;
}

// The type of a property that holds an object of the class.
constexpr TTypeInfo ObjectType(const char* name, const TClass* cls) {
    TTypeInfo info{name, pkObjectRef};
    info.ObjectClass = cls;
    return info;
}
