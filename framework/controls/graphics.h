// The graphics layer's integer types with identity of their own (colours,
// character sets, cursors), their identifier tables, and the module start-up
// step that registers the tables as identifier maps.
#pragma once

#include "framework/streaming/registries.h"
#include "runtime/typeinfo.h"

#include <cstdint>
#include <span>

using TColor = int32_t;       // 0x00BBGGRR, or 0x80000000 plus a system colour index
using TFontCharset = uint8_t; // a GDI character set
using TCursor = int16_t;      // a cursor identifier (crDefault 0, built-in cursors negative)

extern const TTypeInfo TypeColor;       // TColor, 32-bit signed
extern const TTypeInfo TypeFontCharset; // TFontCharset, unsigned byte
extern const TTypeInfo TypeCursor;      // TCursor, 16-bit signed

// The colour names, in table order (42 rows).
extern const std::span<const TIdentMapEntry> ColorIdents;
// The character set names, in table order (18 rows).
extern const std::span<const TIdentMapEntry> CharsetIdents;
// The cursor names, in table order.
extern const std::span<const TIdentMapEntry> CursorIdents;

// Registers the identifier maps of TColor, TFontCharset and TCursor.
void StartGraphicsModule();
// Removes them again.
void StopGraphicsModule();
