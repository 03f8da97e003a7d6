// The form description reader: the main form's 274 bytes, generated
// descriptions of 1 MB and 16 MB, and skipping a whole description.
#include "bench/bench_machine.h"
#include "bench/generated_form.h"
#include "framework/streaming/reader.h"
#include "fuzz/sample_classes.h"
#include "platform/win32.h"
#include "runtime/exceptions.h"

#include <benchmark/benchmark.h>

#include <map>
#include <utility>

namespace {

// The main form's description as the program embeds it.
std::vector<uint8_t> MainFormBytes() {
    HRSRC info = FindResourceA(nullptr, "TFORMMAIN", MAKEINTRESOURCEA(10));
    if (!info) return {};
    auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, info)));
    return std::vector<uint8_t>(bytes, bytes + SizeofResource(nullptr, info));
}

// Each generated description is written once and kept for every run.
const std::vector<uint8_t>& Generated(int64_t megabytes, int64_t perGroup, size_t& components) {
    static std::map<std::pair<int64_t, int64_t>, std::pair<std::vector<uint8_t>, size_t>> made;
    auto& entry = made[{megabytes, perGroup}];
    if (entry.first.empty()) {
        RegisterGeneratedFormClasses();
        entry.first =
            GenerateDescription(static_cast<size_t>(megabytes) << 20, static_cast<int>(perGroup));
        entry.second = GeneratedComponentCount();
    }
    components = entry.second;
    return entry.first;
}

// Bytes a second, and the time per byte that shows how the cost grows with size.
void ReportRates(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["time_per_byte"] = benchmark::Counter(
        static_cast<double>(bytes),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Reading the main form into a form-like root, as the forms layer reads it into the new form.
void ReadMainForm(benchmark::State& state) {
    RegisterGeneratedFormClasses();
    std::vector<uint8_t> bytes = MainFormBytes();
    if (bytes.size() != 274) return state.SkipWithError("the embedded main form is not 274 bytes");
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    for (auto _ : state) {
        TBytesStream stream(bytes);
        benchmark::DoNotOptimize(stream.LoadTree(form.get()));
    }
    if (form->DescribedTextHeight != 12 || form->Font()->Height != -12)
        state.SkipWithError("the form was not read");
    ReportRates(state, bytes.size());
}

// Reading a generated description into a new root: arguments are the size in
// megabytes and the most components one owner holds (0: the root owns them all).
void ReadGenerated(benchmark::State& state) {
    size_t components = 0;
    const std::vector<uint8_t>& bytes = Generated(state.range(0), state.range(1), components);
    for (auto _ : state) {
        state.PauseTiming();
        TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
        state.ResumeTiming();
        TBytesStream stream(bytes);
        try {
            stream.LoadTree(form.get());
        } catch (const Exception& error) {
            state.SkipWithError(("the description was refused: " + error.Message()).c_str());
            break;
        }
        state.PauseTiming();
        bool whole =
            stream.Position() == static_cast<int64_t>(bytes.size()) && form->LoadedCalls == 1;
        form.reset();
        state.ResumeTiming();
        if (!whole) return state.SkipWithError("the description was not read whole");
    }
    ReportRates(state, bytes.size());
    state.counters["components"] = static_cast<double>(components);
}

// Skipping a whole generated description, tag by tag, without creating anything.
void SkipGenerated(benchmark::State& state) {
    size_t components = 0;
    const std::vector<uint8_t>& bytes = Generated(state.range(0), 64, components);
    for (auto _ : state) {
        TBytesStream stream(bytes);
        {
            TReader reader(stream, TReader::DefaultChunkSize);
            reader.CheckMagic();
            reader.SkipComponentRecord(true);
        }
        if (stream.Position() != static_cast<int64_t>(bytes.size()))
            return state.SkipWithError("the description was not skipped whole");
    }
    ReportRates(state, bytes.size());
}

} // namespace

BENCHMARK(ReadMainForm);
BENCHMARK(ReadGenerated)
    ->ArgNames({"MB", "fan_out"})
    ->Args({1, 64})
    ->Args({16, 64})
    ->Args({1, 0})
    ->Args({16, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SkipGenerated)->ArgName("MB")->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
