#include "system/stringlist.h"

#include "platform/win32.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

constinit const TClass TStrings::ClassInfo = MakeClass<TStrings>("TStrings", &TObject::ClassInfo);
constinit const TClass TStringList::ClassInfo =
    MakeClass<TStringList>("TStringList", &TStrings::ClassInfo);

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                          static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

} // namespace

int TStrings::Add(const std::string& line) {
    int index = Count();
    Insert(index, line);
    return index;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::IndexOf(const std::string& line) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), line)) return i;
    return -1;
}

std::string TStrings::Names(int index) const {
    std::string line = Get(index);
    return line.substr(0, line.find('='));
}

int TStrings::IndexOfName(const std::string& name) const {
    for (int i = 0; i < Count(); ++i) {
        std::string line = Get(i);
        size_t equals = line.find('=');
        if (equals != std::string::npos && SameText(line.substr(0, equals), name)) return i;
    }
    return -1;
}

std::string TStrings::Values(const std::string& name) const {
    int index = IndexOfName(name);
    if (index < 0) return "";
    std::string line = Get(index);
    return line.substr(line.find('=') + 1);
}

void TStrings::SetValue(const std::string& name, const std::string& value) {
    int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) Delete(index);
    } else if (index >= 0) {
        Put(index, name + "=" + value);
    } else {
        Add(name + "=" + value);
    }
}

void TStringList::CheckIndex(int index, int limit) const {
    if (index < 0 || index >= limit)
        throw EStringListError(FormatResString(SListIndexError, {index}));
}

std::string TStringList::Get(int index) const {
    CheckIndex(index, Count());
    return FLines[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const std::string& line) {
    CheckIndex(index, Count());
    FLines[static_cast<size_t>(index)] = line;
    Changed();
}

void TStringList::Insert(int index, const std::string& line) {
    CheckIndex(index, Count() + 1);
    FLines.insert(FLines.begin() + index, line);
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count());
    FLines.erase(FLines.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (FLines.empty()) return;
    FLines.clear();
    Changed();
}

void TStringList::SetUpdateState(bool updating) {
    if (!updating) Changed();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange.Assigned()) OnChange(this);
}
