// hostwin-ini: what GetPrivateProfileStringA gives for a file, on the host
// machine HOSTWIN_PREFIX names and in its code page (HOSTWIN_ACP). The medium
// tools read a SETUP.INI through it, so that they find what the launcher
// finds: the same names, values, encodings and odd lines.
#include "paths.h"
#include "platform/win32.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "Usage: hostwin-ini FILE SECTION [KEY]\n"
                      "\n"
                      "With KEY, writes the key's value in SECTION of the profile file FILE (a\n"
                      "path of this system), as the program reads it: bytes in the machine's code\n"
                      "page, nothing when there is no such key. Without KEY, writes the names of\n"
                      "the section's keys, each followed by a zero byte. FILE is on the machine's\n"
                      "drive whose folder holds it as written (its links are not followed).\n"
                      "Exit status: 0 done, 2 wrong command line or a file that cannot be named.\n";

// The largest result the profile functions give through one buffer.
constexpr DWORD kBufferSize = 65536;

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    char resolved[PATH_MAX];
    if (!realpath(argv[1], resolved)) {
        std::fprintf(stderr, "hostwin-ini: %s: no such file\n", argv[1]);
        return 2;
    }
    // The file is named as given (made absolute, its links kept), so that a
    // file reached through a drive's folder shows on that drive.
    const std::string given =
        argv[1][0] == '/' ? argv[1] : hostwin::PosixCurrentDirectory() + "/" + argv[1];
    const std::string file = hostwin::PosixToWindows(given);
    std::vector<char> buffer(kBufferSize);
    DWORD length = GetPrivateProfileStringA(argv[2], argc == 4 ? argv[3] : nullptr, "",
                                            buffer.data(), kBufferSize, file.c_str());
    // A listing counts each name's zero but not the extra one that ends the list.
    std::fwrite(buffer.data(), 1, length, stdout);
    return 0;
}
