// Loads settings stores of growing size, each line a small value of its own
// name, and reports the time per value; it stays flat when loading is linear.
#include "settings/registry_key_text.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

using namespace tessolo;

constexpr std::string_view kKey = "HKEY_CURRENT_USER\\Software\\Veltrand\\Tessolo";

// A store of at most `bytes` bytes filled with distinct 32-bit values.
std::string StoreOfSize(std::size_t bytes)
{
    std::string text = "REGEDIT4\n\n[" + std::string(kKey) + "]\n";
    char line[64];
    for (int i = 0;; ++i) {
        int length = std::snprintf(line, sizeof line, "\"Value%06d\"=dword:%08x\n", i, i);
        if (text.size() + std::size_t(length) > bytes)
            return text;
        text.append(line, std::size_t(length));
    }
}

void BM_LoadStore(benchmark::State& state)
{
    const std::string text = StoreOfSize(std::size_t(state.range(0)) << 10);
    std::size_t values = 0;
    for (auto _ : state) {
        ParsedKeyFile parsed = ParseKeyFile(text, kKey);
        values = parsed.values.Entries().size();
        benchmark::DoNotOptimize(parsed);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * values));
    state.counters["values"] = double(values);
}
BENCHMARK(BM_LoadStore)->Arg(128)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace
