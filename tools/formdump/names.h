// Compiling checks the names of a description against the classes the
// program knows (see names.cpp): an unknown class or property name is a
// warning (an error with --strict); a value that a known property cannot take
// is an error.
#pragma once

#include "description.h"
#include "runtime/typeinfo.h"

#include <map>
#include <string>
#include <vector>

namespace formdump {

// The bytes of a text value: {"text": ...} in Shift-JIS, or {"hex": ...};
// both given must agree (JsonError otherwise), a plain string is the text.
std::string TextOf(const Json& value);

class NameChecker {
public:
    explicit NameChecker(const CompileChecks& checks);
    ~NameChecker();

    // The class of a component record (root null for the root record), or
    // null when the program does not know it (after a warning).
    const TClass* ComponentClass(const Json& at, const std::string& className,
                                 const TClass* root) const;
    // Checks a property record of a component of class cls (null: unknown).
    void Property(const TClass* cls, const TClass* root, const Json& property,
                  const std::string& path, uint8_t tag, const Json& value);

private:
    void Unknown(const std::string& message) const;
    const std::vector<std::string>& CustomProperties(const TClass* cls);
    void Value(const TPropInfo& info, const TClass* root, const Json& property, uint8_t tag,
               const Json& value);

    const CompileChecks& checks_;
    std::map<const TClass*, std::vector<std::string>> custom_;
};

} // namespace formdump
