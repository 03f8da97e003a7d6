// hostwin-ask's questions. Each writes its answer to standard output as one
// JSON object a line and returns the process's exit status (0 answered, 1 the
// question cannot be answered, with a message on standard error).
#pragma once

#include <string>
#include <vector>

namespace hostwin_ask {

int AskProgram(const std::vector<std::string>& arguments);
int AskPe(const std::vector<std::string>& arguments);
int AskLayout(const std::vector<std::string>& arguments);
int AskLocales(const std::vector<std::string>& arguments);

// A JSON object built a member at a time.
class JsonObject {
public:
    JsonObject& Text(const char* key, const std::string& utf8);
    JsonObject& Number(const char* key, long long value);
    JsonObject& Bool(const char* key, bool value);
    JsonObject& Null(const char* key);
    // A member whose value is JSON already.
    JsonObject& Raw(const char* key, const std::string& json);
    std::string Close() const { return text_ + "}"; }

private:
    void Key(const char* key);
    std::string text_ = "{";
};

// Writes a line to standard error, prefixed with the tool's name; returns 1.
int Fail(const std::string& message);

// The whole file, or nothing (with the reason) when it cannot be read.
bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& reason);

} // namespace hostwin_ask
