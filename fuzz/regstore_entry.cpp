#include "fuzz/regstore_entry.h"

#include "fuzz/fuzz_input.h"
#include "platform/win32.h"
#include "registry_file.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

using namespace hostwin::registry;

namespace {

void Check(bool holds, const std::string& what) {
    if (!holds) FuzzFailure("regstore", what);
}

std::string StorePath() {
    GetACP(); // the machine's directory exists from its first use
    return std::string(std::getenv("HOSTWIN_PREFIX")) + "/registry.reg";
}

std::string ReadStore(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Puts the bytes in place as the store. Each version gets a modification
// time of its own, so the store sees a new file even when two versions have
// the same size and are written within the file system's clock tick.
void PlaceStore(const std::string& path, std::string_view bytes) {
    static long version = 0;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    timespec times[2] = {{0, UTIME_OMIT}, {1000000000 + ++version, 0}};
    Check(utimensat(AT_FDCWD, path.c_str(), times, 0) == 0, "cannot stamp the store file");
}

// A store of blanks only is an empty registry, without the header line.
bool IsBlankStore(std::string_view bytes) {
    return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Writing the tree and reading it back gives the same file again.
void CheckRoundTrip(const Tree& tree) {
    std::string written = RegFileOfTree(tree);
    std::vector<RegFileRecord> records;
    if (auto error = ParseRegFile(written, records))
        FuzzFailure("regstore", "the store as written is refused at line " +
                                    std::to_string(error->line) + ": " + error->message + "\n" +
                                    written);
    Tree again;
    ApplyRegFileRecords(records, again);
    Check(RegFileOfTree(again) == written,
          "the store as written reads back differently\n" + written);
}

} // namespace

void FuzzRegstoreInput(const uint8_t* data, size_t size) {
    EnsureFuzzMachine("regstore");
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::vector<RegFileRecord> records;
    std::optional<RegFileError> error;
    if (!IsBlankStore(bytes)) error = ParseRegFile(bytes, records);
    Tree tree;
    if (error) {
        Check(error->line >= 1 && !error->message.empty(), "an error without its line or message");
    } else {
        ApplyRegFileRecords(records, tree);
        CheckRoundTrip(tree);
    }

    // The same bytes as the machine's store, changed by a program.
    static uint32_t mark = 0;
    ++mark;
    const std::string path = StorePath();
    PlaceStore(path, bytes);
    LSTATUS status;
    {
        TQuietStderr quiet; // a refused store is reported on standard error
        status = RegSetValueExA(HKEY_CURRENT_USER, "FuzzMark", 0, REG_BINARY,
                                reinterpret_cast<const BYTE*>(&mark), sizeof mark);
    }
    std::string after = ReadStore(path);
    if (error) {
        Check(status == ERROR_BADDB,
              "a malformed store gave " + std::to_string(status) + ", not ERROR_BADDB");
        Check(after == bytes, "a malformed store was changed");
        return;
    }
    Check(status == ERROR_SUCCESS,
          "a change to a good store failed with " + std::to_string(status));
    Key& hive = tree.RootKey(Root::CurrentUser);
    std::string markData(reinterpret_cast<const char*>(&mark), sizeof mark);
    const Value* old = hive.FindValue("FuzzMark");
    if (old && old->type == REG_BINARY && old->data == markData) {
        Check(after == bytes, "a call that changed nothing rewrote the store");
        return;
    }
    hive.SetValue("FuzzMark", REG_BINARY, markData);
    Check(after == RegFileOfTree(tree),
          "the changed store lost or altered other keys and values\n" + after);
}
