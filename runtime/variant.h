// The framework's variant: a value with a type code that follows the OLE
// Automation variant types, except the 8-bit string, which is the
// framework's own code 0x100.
#pragma once

#include <cstdint>
#include <string>

enum TVarType : uint16_t {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varSmallint = 0x0002, // VT_I2
    varInteger = 0x0003,  // VT_I4
    varSingle = 0x0004,   // VT_R4
    varDouble = 0x0005,   // VT_R8
    varCurrency = 0x0006, // VT_CY: Integer holds the amount times 10000
    varDate = 0x0007,     // VT_DATE
    varOleStr = 0x0008,   // VT_BSTR: Wide
    varBoolean = 0x000B,  // VT_BOOL: Integer 0 or -1
    varByte = 0x0011,     // VT_UI1
    varString = 0x0100,   // 8-bit string: Text
};

struct TVariant {
    uint16_t VarType = varEmpty;
    int64_t Integer = 0; // varSmallint, varInteger, varByte, varBoolean, varCurrency
    double Real = 0;     // varSingle, varDouble, varDate
    std::string Text;    // varString
    std::u16string Wide; // varOleStr

    friend bool operator==(const TVariant&, const TVariant&) = default;
};
