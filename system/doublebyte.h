// The double-byte state of the ANSI code page and the classification of
// bytes as single bytes, lead bytes or trail bytes of double-byte characters.
// Shift-JIS (code page 932) trail bytes include 0x5C, the backslash, so every
// string operation that looks for a separator asks here first.
#pragma once

#include "platform/win32.h"

#include <bitset>
#include <cstdint>
#include <string>

// The role of one byte in a string of the ANSI code page.
enum TByteRole : uint8_t { brSingle, brLead, brTrail };

// A set of byte values, one bit each.
class TByteSet {
public:
    bool Contains(BYTE value) const { return FBits.test(value); }
    void Include(BYTE value) { FBits.set(value); }
    void Clear() { FBits.reset(); }
    bool Empty() const { return FBits.none(); }

private:
    std::bitset<256> FBits;
};

// True when the system reports double-byte character support.
extern bool DoubleByteLocale;
// The byte values that begin a double-byte character; empty unless
// DoubleByteLocale is true.
extern TByteSet LeadByteSet;

// Adds the lead-byte ranges of a CPINFO LeadByte array: up to six inclusive
// low..high pairs, ended by a pair of zeros. A pair with low above high adds
// nothing. Values are only ever added, never removed.
void AddLeadByteRanges(const BYTE (&leadBytes)[MAX_LEADBYTES]);

// The start-up step: DoubleByteLocale from GetSystemMetrics(SM_DBCSENABLED)
// and, when it is true, LeadByteSet from GetCPInfo(CP_ACP). Runs again when
// the system's settings change.
void StartDoubleByteModule();

// The role of the byte at a 1-based index of S. Callers pass an index from 1
// to the length of S.
TByteRole ClassifyByte(const std::string& s, int index);

// The role of the byte at a 0-based index of a zero-terminated string; the
// terminating zero and a null string are single bytes. The index runs from 0
// to the string's length.
TByteRole ClassifyByteZ(const char* p, int index);
