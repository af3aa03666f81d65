// Reading whole profiles (header, directory, every tag's data) and turning their
// largest lookup tables into the byte form the writers print: a 33-point lut8 table
// (Ghostscript's default CMYK profile) and 33-point lut16 tables with 256-entry curves
// (the scribus ISO coated profile, about 1 MB).
#include <benchmark/benchmark.h>

#include <string>

#include "icc/lut.h"
#include "icc/profile_reader.h"

namespace {

const std::string kLut8Profile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
const std::string kLut16Profile = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";

void ReadWholeProfile(benchmark::State& state, const std::string& path) {
  const vomar::Diagnostics quiet{nullptr, nullptr};
  std::size_t bytes = 0;
  for (auto _ : state) {
    vomar::TagTableList list;
    vomar::ProfileHeader header;
    if (vomar::ReadProfileTags(path, list, true, false, header, quiet) !=
        vomar::ProfileRead::kRead) {
      state.SkipWithError(("cannot read " + path).c_str());
      return;
    }
    for (const auto& entry : list.entries) bytes += entry.data.size();
    benchmark::DoNotOptimize(list.entries.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void ByteFormOfB2A0(benchmark::State& state, const std::string& path) {
  vomar::TagTableList list;
  vomar::ProfileHeader header;
  if (vomar::ReadProfileTags(path, list, true, false, header, {nullptr, nullptr}) !=
      vomar::ProfileRead::kRead) {
    state.SkipWithError(("cannot read " + path).c_str());
    return;
  }
  const vomar::TagEntry* table = list.Find(vomar::sig::kB2A0);
  if (table == nullptr) {
    state.SkipWithError("no B2A0");
    return;
  }
  for (auto _ : state) {
    auto lut = vomar::ReadByteLut(table->data.data(), table->data.size());
    benchmark::DoNotOptimize(lut);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * table->data.size()));
}

BENCHMARK_CAPTURE(ReadWholeProfile, lut8_33, kLut8Profile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadWholeProfile, lut16_33, kLut16Profile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ByteFormOfB2A0, lut8_33, kLut8Profile)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ByteFormOfB2A0, lut16_33, kLut16Profile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
