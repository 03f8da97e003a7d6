// The system services on the launcher's road: TIniFile's LoadText on setup
// configuration files of 1 KB to 1 MB, and TRegistry's open and ReadText in a
// host registry store of 10,000 keys.
#include "bench/bench_machine.h"
#include "platform/win32.h"
#include "runtime/format.h"
#include "system/inifile.h"
#include "system/registry.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

namespace {

constexpr const char* kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Product";

// A SETUP.INI of about the size given: sections of entries, and the launcher's
// section "Startup" last, so that the lookup passes every line before it.
std::string SetupIniOf(size_t bytes) {
    std::string text;
    for (int section = 0; text.size() + 64 < bytes; ++section) {
        text += Format("[Files%d]\r\n", {section});
        for (int entry = 0; entry < 16 && text.size() + 64 < bytes; ++entry)
            text += Format("File%d=Program Files\\Product\\file%d.dat\r\n",
                           {entry, section * 16 + entry});
    }
    return text + "[Startup]\r\nAppName=Product Name\r\n";
}

void WriteHostFile(const std::string& name, const std::string& bytes) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void IniLoadText(benchmark::State& state) {
    const size_t size = static_cast<size_t>(state.range(0)) << 10;
    CreateDirectoryA("C:\\bench", nullptr);
    std::string name = Format("C:\\bench\\SETUP%d.INI", {static_cast<int>(state.range(0))});
    std::string text = SetupIniOf(size);
    WriteHostFile(name, text);
    TOwned<TIniFile> ini(new TIniFile(name));
    for (auto _ : state) {
        std::string value = ini->LoadText("Startup", "AppName", "NoName");
        if (value != "Product Name") return state.SkipWithError("AppName was not read");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}

// The store: 100 vendors of 100 products each (10,100 keys, 20,000 values)
// and the uninstall entry the launcher reads.
std::string StorePath() {
    return BenchMachinePrefix() + "/registry.reg";
}

void WriteStore() {
    static bool written = [] {
        std::string text = "Windows Registry Editor Version 5.00\n\n";
        for (int vendor = 0; vendor < 100; ++vendor)
            for (int product = 0; product < 100; ++product)
                text += Format("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor%d\\Product%d]"
                               "\n\"DisplayName\"=\"Product %d of "
                               "vendor %d\"\n\"Version\"=dword:%.8x\n\n",
                               {vendor, product, product, vendor, vendor * 100 + product});
        text +=
            std::string("[HKEY_LOCAL_MACHINE\\") + kUninstallKey +
            "]\n\"UninstallString\"=\"C:\\\\Program Files\\\\Product\\\\unins000.exe /SILENT\"\n";
        GetACP(); // the machine's directory exists from its first use
        std::ofstream(StorePath(), std::ios::binary | std::ios::trunc) << text;
        return true;
    }();
    (void)written;
}

// One lookup as the launcher makes it: a registry object on HKEY_LOCAL_MACHINE,
// the uninstall key opened for reading, its command read.
bool ReadUninstallString() {
    TRegistry registry;
    registry.SelectHive(HKEY_LOCAL_MACHINE);
    return registry.OpenForReading(kUninstallKey) &&
           registry.ReadText("UninstallString") ==
               "C:\\Program Files\\Product\\unins000.exe /SILENT";
}

// The store already read by an earlier call of the process.
void RegistryReadTextWarm(benchmark::State& state) {
    WriteStore();
    ReadUninstallString();
    for (auto _ : state)
        if (!ReadUninstallString()) return state.SkipWithError("the uninstall string was not read");
}

// The first call after the store changed: it is read again whole.
void RegistryReadTextCold(benchmark::State& state) {
    WriteStore();
    long version = 0;
    for (auto _ : state) {
        state.PauseTiming();
        timespec times[2] = {{0, UTIME_OMIT}, {1000000000 + ++version, 0}};
        utimensat(AT_FDCWD, StorePath().c_str(), times, 0);
        state.ResumeTiming();
        if (!ReadUninstallString()) return state.SkipWithError("the uninstall string was not read");
    }
    struct stat info;
    if (stat(StorePath().c_str(), &info) == 0)
        state.counters["store_bytes"] = static_cast<double>(info.st_size);
}

} // namespace

BENCHMARK(IniLoadText)
    ->ArgName("KB")
    ->Arg(1)
    ->Arg(16)
    ->Arg(256)
    ->Arg(1024)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(RegistryReadTextWarm)->Unit(benchmark::kMicrosecond);
BENCHMARK(RegistryReadTextCold)->Unit(benchmark::kMillisecond);
