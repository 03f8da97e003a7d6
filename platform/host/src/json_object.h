// JSON objects put together a member at a time: the journal's lines and the
// answers of the host tools (hostwin-ask, hostwin-reg /json). Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hostwin {

// Appends text as a JSON string literal (quotes included).
void AppendJsonString(std::string& out, std::string_view utf8);

// The members of a JSON object; each call returns the Derived object, so that
// the calls of a class built on it chain.
template <class Derived> class JsonMembers {
public:
    Derived& Utf8(const char* key, std::string_view utf8) {
        Key(key);
        AppendJsonString(text_, utf8);
        return Self();
    }
    Derived& Number(const char* key, int64_t value) { return Raw(key, std::to_string(value)); }
    Derived& Bool(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
    Derived& Null(const char* key) { return Raw(key, "null"); }
    // A member whose value is JSON already.
    Derived& Raw(const char* key, std::string_view json) {
        Key(key);
        text_ += json;
        return Self();
    }

protected:
    // The object's text so far, without its closing brace.
    std::string text_ = "{";

private:
    void Key(const char* key) {
        if (text_.size() > 1) text_ += ',';
        AppendJsonString(text_, key);
        text_ += ':';
    }
    Derived& Self() { return static_cast<Derived&>(*this); }
};

// A JSON object on its own.
class JsonObject : public JsonMembers<JsonObject> {
public:
    // The object's text, closed.
    std::string Close() const { return text_ + "}"; }
};

} // namespace hostwin
