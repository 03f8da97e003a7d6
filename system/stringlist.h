// String lists: TStrings, the abstract list of lines with update brackets and
// name=value access, and TStringList, the list held in memory.
#pragma once

#include "runtime/object.h"
#include "runtime/typeinfo.h"

#include <string>
#include <vector>

class TStrings : public TObject {
public:
    DECLARE_CLASS_INFO()

    virtual int Count() const = 0;
    // The line at a 0-based index; an index out of range raises EStringListError.
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& line) = 0;
    virtual void Insert(int index, const std::string& line) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    // Appends a line; returns its index.
    virtual int Add(const std::string& line);

    std::string Strings(int index) const { return Get(index); }

    // Update brackets nest; the list learns of the first begin and the last end.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // The index of a line equal to the text (locale case-insensitive), or -1.
    int IndexOf(const std::string& line) const;
    // The name of a name=value line (the part before the first "="); the
    // whole line when it has no "=".
    std::string Names(int index) const;
    // The index of the first line whose name is name (locale case-insensitive), or -1.
    int IndexOfName(const std::string& name) const;
    // The value of the first line with that name; empty when there is none.
    std::string Values(const std::string& name) const;
    // Sets a name's value: a non-empty value replaces that name's line or is
    // appended as name=value; an empty value deletes the line.
    void SetValue(const std::string& name, const std::string& value);

protected:
    // Called with true at the outermost BeginUpdate and false at its EndUpdate.
    virtual void SetUpdateState(bool updating);

private:
    int FUpdateCount = 0;
};

class TStringList : public TStrings {
public:
    DECLARE_CLASS_INFO()

    int Count() const override { return static_cast<int>(FLines.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& line) override;
    void Insert(int index, const std::string& line) override;
    void Delete(int index) override;
    void Clear() override;

    // Runs after each change made outside an update bracket, and at the end
    // of a bracket.
    TNotifyEvent OnChange;

protected:
    void SetUpdateState(bool updating) override;

private:
    void CheckIndex(int index, int limit) const;
    void Changed();

    std::vector<std::string> FLines;
};

// Holds a list's update bracket for a scope.
class TUpdateBracket {
public:
    explicit TUpdateBracket(TStrings& list) : FList(list) { FList.BeginUpdate(); }
    ~TUpdateBracket() { FList.EndUpdate(); }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    TStrings& FList;
};
