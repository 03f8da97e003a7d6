// hostwin-ask's questions. Each writes its answer to standard output as one
// JSON object a line and returns the process's exit status (0 answered, 1 the
// question cannot be answered, with a message on standard error).
#pragma once

#include "json_object.h"

#include <string>
#include <vector>

namespace hostwin_ask {

int AskProgram(const std::vector<std::string>& arguments);
int AskPe(const std::vector<std::string>& arguments);
int AskLayout(const std::vector<std::string>& arguments);
int AskLocales(const std::vector<std::string>& arguments);

using hostwin::JsonObject;

// Writes a line to standard error, prefixed with the tool's name; returns 1.
int Fail(const std::string& message);

// The whole file, or nothing (with the reason) when it cannot be read.
bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& reason);

} // namespace hostwin_ask
