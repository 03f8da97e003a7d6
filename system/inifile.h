// INI files: TCustomIniFile fixes the order of the operations and builds the
// typed reads and writes on two string operations; TIniFile implements them
// with the profile functions, which read and write the file on every call.
#pragma once

#include "runtime/object.h"
#include "runtime/textconv.h"
#include "runtime/typeinfo.h"

#include <cstdint>
#include <string>

class TStrings;

class TCustomIniFile : public TObject {
public:
    DECLARE_CLASS_INFO()

    // Keeps the file name as given; the file is not opened, created or tested.
    explicit TCustomIniFile(std::string fileName) : FIniPath(std::move(fileName)) {}

    const std::string& FileName() const { return FIniPath; }

    // The operations, in their fixed slot order.
    // The value of a key; the default when the file, section or key is missing.
    virtual std::string LoadText(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) = 0;
    // Writes a value; raises Exception when the file cannot be written.
    virtual void StoreText(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
    // A signed 32-bit number in decimal or hexadecimal ("$1A", "0x1A", "x1A");
    // the default for anything else.
    virtual int32_t LoadNumber(const std::string& section, const std::string& key,
                               int32_t defaultValue);
    virtual void StoreNumber(const std::string& section, const std::string& key, int32_t value);
    // True for any number but 0; the default for text that is not a number.
    virtual bool LoadFlag(const std::string& section, const std::string& key, bool defaultValue);
    // Writes "1" or "0".
    virtual void StoreFlag(const std::string& section, const std::string& key, bool value);
    // The typed reads return the default for a missing or unreadable value.
    virtual TDateTime LoadDate(const std::string& section, const std::string& key,
                               TDateTime defaultValue);
    virtual TDateTime LoadDateTime(const std::string& section, const std::string& key,
                                   TDateTime defaultValue);
    virtual double LoadReal(const std::string& section, const std::string& key,
                            double defaultValue);
    virtual TDateTime LoadTime(const std::string& section, const std::string& key,
                               TDateTime defaultValue);
    virtual void StoreDate(const std::string& section, const std::string& key, TDateTime value);
    virtual void StoreDateTime(const std::string& section, const std::string& key, TDateTime value);
    virtual void StoreReal(const std::string& section, const std::string& key, double value);
    virtual void StoreTime(const std::string& section, const std::string& key, TDateTime value);
    // Fill a list with the key names of a section, or the section names (cleared first).
    virtual void ListKeys(const std::string& section, TStrings& list) = 0;
    virtual void ListSections(TStrings& list) = 0;
    // Sets key=value in the list for each key of the section with a value,
    // and deletes the list's line of each key whose value is empty.
    virtual void ListEntries(const std::string& section, TStrings& list) = 0;
    // Removes a section with its entries; raises Exception when that fails.
    virtual void RemoveSection(const std::string& section) = 0;
    virtual void RemoveKey(const std::string& section, const std::string& key) = 0;
    virtual void FlushToDisk() = 0;

protected:
    // The file name exactly as passed; the profile functions receive it unchanged.
    std::string FIniPath;
};

class TIniFile : public TCustomIniFile {
public:
    DECLARE_CLASS_INFO()

    using TCustomIniFile::TCustomIniFile;

    std::string LoadText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
    void StoreText(const std::string& section, const std::string& key,
                   const std::string& value) override;
    void ListKeys(const std::string& section, TStrings& list) override;
    void ListSections(TStrings& list) override;
    void ListEntries(const std::string& section, TStrings& list) override;
    void RemoveSection(const std::string& section) override;
    void RemoveKey(const std::string& section, const std::string& key) override;
    void FlushToDisk() override;

private:
    // Fills the list with the names a listing call returns (null section: sections).
    void ListNames(const char* section, TStrings& list);
    [[noreturn]] void RaiseWriteError() const;
};
