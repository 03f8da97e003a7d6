#include "runtime/typeinfo.h"

#include "platform/win32.h"
#include "runtime/ascii.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "runtime/textconv.h"

namespace {

constexpr const char* booleanNames[] = {"False", "True"};

} // namespace

bool SameName(std::string_view a, std::string_view b) {
    return EqualIgnoringAsciiCase(a, b);
}

int TTypeInfo::MemberOrdinal(std::string_view name) const {
    if (Kind == pkChoice) {
        if (name.empty()) return -1;
        for (size_t i = 0; i < Members.size(); ++i)
            if (SameName(Members[i], name)) return static_cast<int>(i);
        return -1;
    }
    // Integer element types: the name is a decimal number, read the same way
    // in every build (no platform-sized long in between).
    int32_t value = 0;
    if (!TryDecimalToInt(name, value))
        throw EConvertError(FormatResString(SInvalidInteger, {std::string(name)}));
    return value;
}

bool TClass::InheritsFrom(const TClass* other) const {
    for (const TClass* cls = this; cls; cls = cls->Parent)
        if (cls == other) return true;
    return false;
}

const TPropInfo* TClass::FindProperty(std::string_view name) const {
    for (const TClass* cls = this; cls; cls = cls->Parent)
        for (const TPropInfo& property : cls->Properties)
            if (SameName(property.Name, name)) return &property;
    return nullptr;
}

TCodePointer TClass::FindMethod(std::string_view name) const {
    const TMethodEntry* method = FindMethodEntry(name);
    return method ? method->Code : nullptr;
}

const TMethodEntry* TClass::FindMethodEntry(std::string_view name) const {
    if (name.size() > 255) name = name.substr(0, 255);
    for (const TClass* cls = this; cls; cls = cls->Parent)
        for (const TMethodEntry& method : cls->Methods)
            if (SameName(method.Name, name)) return &method;
    return nullptr;
}

namespace typeinfo_detail {

std::u16string AnsiTextToWide(const std::string& text) {
    if (text.empty()) return {};
    int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(length > 0 ? length : 0), u'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                            reinterpret_cast<LPWSTR>(wide.data()), length);
    return wide;
}

std::string WideTextToAnsi(const std::u16string& text) {
    if (text.empty()) return {};
    auto* wide = reinterpret_cast<LPCWSTR>(text.data());
    int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), ansi.data(), length,
                            nullptr, nullptr);
    return ansi;
}

} // namespace typeinfo_detail

constinit const TTypeInfo TypeInteger{"Integer", pkOrdinal, osSLong};
constinit const TTypeInfo TypeCardinal{"Cardinal", pkOrdinal, osULong};
constinit const TTypeInfo TypeSmallInt{"SmallInt", pkOrdinal, osSWord};
constinit const TTypeInfo TypeWord{"Word", pkOrdinal, osUWord};
constinit const TTypeInfo TypeShortInt{"ShortInt", pkOrdinal, osSByte};
constinit const TTypeInfo TypeByte{"Byte", pkOrdinal, osUByte};
constinit const TTypeInfo TypeBoolean = EnumType("Boolean", booleanNames);
constinit const TTypeInfo TypeChar{"Char", pkCharacter, osUByte};
constinit const TTypeInfo TypeWideChar{"WideChar", pkWideCharacter, osUWord};
constinit const TTypeInfo TypeString{"AnsiString", pkText};
constinit const TTypeInfo TypeShortString{"ShortString", pkShortText, osUByte, fkDouble, {},
                                          nullptr,       0,           0,       255};
constinit const TTypeInfo TypeWideString{"WideString", pkWideText};
constinit const TTypeInfo TypeSingle{"Single", pkReal, osSLong, fkSingle};
constinit const TTypeInfo TypeDouble{"Double", pkReal, osSLong, fkDouble};
constinit const TTypeInfo TypeExtended{"Extended", pkReal, osSLong, fkExtended};
constinit const TTypeInfo TypeComp{"Comp", pkReal, osSLong, fkComp};
constinit const TTypeInfo TypeCurrency{"Currency", pkReal, osSLong, fkCurrency};
constinit const TTypeInfo TypeDateTime{"TDateTime", pkReal, osSLong, fkDouble};
constinit const TTypeInfo TypeInt64{"Int64", pkOrdinal64};
constinit const TTypeInfo TypeVariant{"Variant", pkVariantData};
constinit const TTypeInfo TypeNotifyEvent = EventType<TNotifyEvent>("TNotifyEvent");
constinit const TTypeInfo TypeObject = ObjectType("TObject", &TObject::ClassInfo);
