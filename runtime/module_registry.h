// The module registry: one record per loaded module of the program (here only
// the program itself), each naming the module its resources are read from.
// A language resource module beside the program, chosen at start-up, takes
// the place of the program for its form descriptions and its message texts.
#pragma once

#include "platform/win32.h"

struct ModuleRecord {
    ModuleRecord* NextModule = nullptr;
    HINSTANCE ModuleHandle = nullptr;   // the module's instance handle
    HINSTANCE CodeHandle = nullptr;     // allocation base of its code
    HINSTANCE DataHandle = nullptr;     // allocation base of its data
    HINSTANCE ResourceHandle = nullptr; // the module searched for its resources
};

// Puts the record at the head of the registry / takes it out. The record
// must outlive its registration.
void RegisterModule(ModuleRecord& record);
void UnregisterModule(ModuleRecord& record);

// The allocation base of the committed memory that holds the address (for an
// address in a loaded image, the image's base); null otherwise.
HINSTANCE ModuleOfAddress(const void* address);

// The resource module of the registered module whose module, code or data
// handle is the argument; the argument itself when none is.
HINSTANCE ResourceModuleOf(HINSTANCE module);

// The language resource module for a module file name, or null: the file with
// the same name whose extension is the per-user override from the registry
// (HKEY_CURRENT_USER "Software\Trevasol\Locales", else
// "Software\Trevasol\Ormund\Locales": the value named by the program's path,
// else the default value), else the thread locale's three-letter language
// abbreviation, else its first two letters; loaded as a data file.
HINSTANCE LoadLanguageResourceModule(const char* moduleFileName);

// Registers the program with its language resource module (or itself) as the
// resource module; runs at start-up before any form exists. Stopping takes the
// record out and frees the language resource module.
void StartModuleRegistry();
void StopModuleRegistry();
