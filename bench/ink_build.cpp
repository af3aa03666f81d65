// Building the ink-simulation file from two profiles with 33-point tables: a 33^4
// four-dimensional A2B0 table (about 7 MB of text) and a 33^3 B2A0 render table, each
// profile read twice. Also the table text alone, written into memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/messages.h"
#include "common/text_writer.h"
#include "postscript/stamp_lines.h"
#include "icc/signatures.h"
#include "ink/ink_builder.h"
#include "ink/ink_tables.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int kGrid = 33;

void Put32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A lut8 tag with identity matrix, linear curves and a pseudo-random grid.
Bytes Lut8Tag(int inputs, int outputs, std::mt19937& random) {
  Bytes tag;
  Put32(tag, vomar::sig::kMft1);
  Put32(tag, 0);
  tag.insert(tag.end(), {static_cast<std::uint8_t>(inputs), static_cast<std::uint8_t>(outputs),
                         static_cast<std::uint8_t>(kGrid), 0});
  for (int k = 0; k < 9; ++k) Put32(tag, k % 4 == 0 ? 0x10000 : 0);
  for (int k = 0; k < inputs * 256; ++k) tag.push_back(static_cast<std::uint8_t>(k));
  std::size_t points = outputs;
  for (int k = 0; k < inputs; ++k) points *= kGrid;
  for (std::size_t k = 0; k < points; ++k) tag.push_back(static_cast<std::uint8_t>(random()));
  for (int k = 0; k < outputs * 256; ++k) tag.push_back(static_cast<std::uint8_t>(k));
  return tag;
}

Bytes TextTag(const char* text) {
  Bytes tag;
  Put32(tag, vomar::MakeSignature("text"));
  Put32(tag, 0);
  for (const char* c = text; *c != 0; ++c) tag.push_back(static_cast<std::uint8_t>(*c));
  tag.push_back(0);
  return tag;
}

// A CMYK printer profile with a Lab PCS and the ten tags a build demands; each table
// tag has its own copy of the data, as most profiles store them.
Bytes Profile(const Bytes& a2b, const Bytes& b2a) {
  namespace sig = vomar::sig;
  Bytes wtpt;
  Put32(wtpt, vomar::MakeSignature("XYZ "));
  Put32(wtpt, 0);
  Put32(wtpt, 0xF6D6);
  Put32(wtpt, 0x10000);
  Put32(wtpt, 0xD32D);
  const std::vector<std::pair<vomar::Signature, const Bytes*>> tags = {
      {sig::kA2B0, &a2b}, {sig::kA2B1, &a2b}, {sig::kA2B2, &a2b}, {sig::kB2A0, &b2a},
      {sig::kB2A1, &b2a}, {sig::kB2A2, &b2a}, {sig::kWtpt, &wtpt}, {sig::kGamt, &b2a}};
  const Bytes desc = TextTag("Benchmark profile");
  const Bytes cprt = TextTag("No copyright");
  std::vector<std::pair<vomar::Signature, const Bytes*>> all = {{sig::kDesc, &desc}};
  all.insert(all.end(), tags.begin(), tags.end());
  all.emplace_back(sig::kCprt, &cprt);

  Bytes out(128, 0);
  const auto set32 = [&out](std::size_t at, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) out[at + k] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
  };
  set32(8, 0x02100000);
  set32(12, sig::kPrtr);
  set32(16, sig::kCmyk);
  set32(20, sig::kLab);
  set32(36, vomar::MakeSignature("acsp"));
  set32(68, 0xF6D6);
  set32(72, 0x10000);
  set32(76, 0xD32D);
  Put32(out, static_cast<std::uint32_t>(all.size()));
  std::size_t offset = out.size() + 12 * all.size();
  for (const auto& [signature, data] : all) {
    Put32(out, signature);
    Put32(out, static_cast<std::uint32_t>(offset));
    Put32(out, static_cast<std::uint32_t>(data->size()));
    offset += (data->size() + 3) / 4 * 4;
  }
  for (const auto& [signature, data] : all) {
    out.insert(out.end(), data->begin(), data->end());
    out.resize((out.size() + 3) / 4 * 4, 0);
  }
  set32(0, static_cast<std::uint32_t>(out.size()));
  return out;
}

class SilentMessages : public vomar::MessageSink {
 public:
  int Show(const vomar::Message&) override { return vomar::kIdOk; }
};

class FixedClock : public vomar::StampClock {
 public:
  Reading Fetch() override { return Reading{std::time_t{1796540709}}; }
};

struct Fixture {
  Fixture() {
    std::mt19937 random(33);
    a2b = Lut8Tag(4, 3, random);
    b2a = Lut8Tag(3, 4, random);
    directory = fs::temp_directory_path() / ("bench_ink_build." + std::to_string(getpid()));
    fs::create_directories(directory);
    const Bytes profile = Profile(a2b, b2a);
    for (const char* name : {"simulation.icc", "output.icc"}) {
      std::FILE* file = std::fopen((directory / name).c_str(), "wb");
      std::fwrite(profile.data(), 1, profile.size(), file);
      std::fclose(file);
    }
  }
  ~Fixture() { fs::remove_all(directory); }

  Bytes a2b;
  Bytes b2a;
  fs::path directory;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_BuildInkSimulation(benchmark::State& state) {
  Fixture& fixture = Shared();
  SilentMessages messages;
  FixedClock clock;
  std::FILE* devNull = std::fopen("/dev/null", "w");
  const std::string directory = fixture.directory.string() + "/";
  std::string resultPath;
  bool failed = false;
  for (auto _ : state) {
    vomar::InkSimulationBuilder builder(
        vomar::BuildEnvironment{messages, clock, vomar::Diagnostics{devNull, devNull}, directory});
    builder.profileNumber = 1;
    failed |= builder.BuildInkSimulation(directory + "simulation.icc", directory + "output.icc",
                                         "Office_Color_01", resultPath) != vomar::BuildResult::kBuilt;
  }
  std::fclose(devNull);
  if (failed) state.SkipWithError("the build failed");
  const auto size = fs::file_size(resultPath);
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_BuildInkSimulation)->Unit(benchmark::kMillisecond);

// The two tables' text into memory: the writing speed of the hexadecimal text.
void BM_WriteInkTables(benchmark::State& state) {
  Fixture& fixture = Shared();
  std::size_t bytes = 0;
  for (auto _ : state) {
    vomar::TextWriter out;
    vomar::WriteSimulationLut(fixture.a2b.data(), fixture.a2b.size(), out);
    vomar::WriteRenderingLut(fixture.b2a.data(), fixture.b2a.size(), out);
    bytes = out.Text().size();
    benchmark::DoNotOptimize(out.Text().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteInkTables)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
