// Registry files in the regedit export syntax, version 5:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Example]
//   "Text"="C:\\Program Files\\x.exe"
//   @="the default value"
//   "Number"=dword:0000002a
//   "Bytes"=hex:01,02,03
//   "Expand"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00
//
// "text" is a REG_SZ with its terminating zero; every other value is written
// as hex(N): with the stored bytes (UTF-16LE for the string types), so values
// without a terminator or with a zero inside survive unchanged as hex(1):.
// Import files may also delete: [-KEY] and "name"=-.
#pragma once

#include "registry_tree.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostwin::registry {

struct RegFileRecord {
    enum Kind { kKey, kDeleteKey, kValue, kDeleteValue };
    Kind kind = kKey;
    int line = 0;
    Root root = Root::LocalMachine;
    std::vector<std::string> path; // UTF-8 components below the root
    std::string valueName;         // kValue, kDeleteValue: UTF-8, empty for the default value
    DWORD type = REG_NONE;         // kValue
    std::string data;              // kValue: the stored bytes
};

struct RegFileError {
    int line = 0; // 1-based line of the file
    std::string message;
};

// Parses a registry file: UTF-8 with or without a byte-order mark, or
// UTF-16LE with its byte-order mark as regedit writes it, headed
// "Windows Registry Editor Version 5.00". With an ANSI code page given (an
// import file) also a "REGEDIT4" file, whose text (without a byte-order mark)
// and whose hex(1), hex(2) and hex(7) data are in that code page; the store
// itself is always version 5. Lines end in LF or CR LF; a line ending in a
// backslash continues on the next (hex data). Returns the records in file
// order, or the first error.
std::optional<RegFileError> ParseRegFile(std::string_view bytes,
                                         std::vector<RegFileRecord>& records,
                                         std::optional<UINT> ansiCodePage = std::nullopt);

// Applies parsed records to a tree (a key section creates its key).
void ApplyRegFileRecords(const std::vector<RegFileRecord>& records, Tree& tree);

// The first line of every registry file, with the blank line after it.
std::string RegFileHeader();

// Appends a key's section: its header line, its values, and a blank line.
void AppendRegFileSection(std::string& out, std::string_view fullKeyPath,
                          const std::vector<Value>& values);

// Appends the sections of a key and of every key below it, in enumeration
// order, each key with a section of its own as regedit writes them. The
// key's own section is left out when it has no values and writeEmptySelf is
// false (the hives themselves, which always exist).
void AppendRegFileTree(std::string& out, const std::string& fullKeyPath, const Key& key,
                       bool writeEmptySelf = true);

// The whole store file of a tree: the header and both hives.
std::string RegFileOfTree(const Tree& tree);

} // namespace hostwin::registry
