// Replacing a file's contents atomically: the new contents go to a new file
// beside it, which is then renamed over the old one, so that a failed write
// leaves the old file whole and a reader never sees half a file.
#pragma once

#include "hostwin/windows.h"

#include <string>
#include <string_view>

namespace hostwin {

// Writes bytes as the new contents of posixPath (created when missing, with
// the old file's permissions otherwise). On failure returns false with the
// Windows error in error; the old file is untouched.
bool ReplaceFileContents(const std::string& posixPath, std::string_view bytes, DWORD& error);

} // namespace hostwin
