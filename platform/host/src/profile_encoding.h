// The encodings a profile (INI) file may be stored in. The profile functions
// read a file that starts with a byte-order mark as Unicode, converted to the
// ANSI code page, and write it back in the encoding it had; any other file
// is read and written as ANSI bytes.
#pragma once

#include <string>
#include <string_view>

namespace hostwin {

enum class ProfileEncoding { Ansi, Utf8, Utf16LittleEndian, Utf16BigEndian };

// The encoding the file's first bytes announce (Ansi when there is no mark).
ProfileEncoding DetectProfileEncoding(std::string_view bytes);

// The file's text in the ANSI code page, its byte-order mark left out.
// Characters the code page cannot hold become its default character, one
// for every UTF-16 code unit (a surrogate pair gives two), as Windows'
// conversion does; a last odd byte of a UTF-16 file counts as a code unit.
std::string ProfileBytesToAnsi(std::string_view bytes, ProfileEncoding encoding);

// The bytes of ANSI text stored in the encoding, with its byte-order mark.
std::string AnsiToProfileBytes(std::string_view ansi, ProfileEncoding encoding);

} // namespace hostwin
