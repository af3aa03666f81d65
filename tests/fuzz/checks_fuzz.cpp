// Feeds arbitrary bytes to the acceptance checks as a pair of profile files. Byte 0 picks
// the mode (bit 0: ink simulation) and whether the output profile's model check runs
// (bit 1); bytes 1 and 2 give the length of the simulation profile (little-endian, cut to
// what is there); the simulation profile follows, and the rest is the output profile.
// Every check and validator must end with its result, never read out of bounds; and
// what the checks accept, the builder builds: a printer profile accepted in the
// ICC-profile mode, a pair accepted in the ink-simulation mode.
#include <cstdint>
#include <optional>
#include <string>

#include "commands/front_end.h"
#include "commands/path_box_checks.h"
#include "icc/profile_acceptance.h"
#include "icc/tag_text.h"
#include "config/model_match.h"
#include "config/support_config.h"
#include "crd/crd_builder.h"
#include "ink/ink_builder.h"
#include "postscript/build_environment.h"
#include "postscript/stamp_lines.h"
#include "tests/fuzz/fuzz_targets.h"

namespace vomar::fuzz {

namespace {

volatile std::size_t sink = 0;

// The configuration and printer the model check runs against.
constexpr const char* kDriver = "Vomar PS Color A3";
constexpr const char* kModelText = "Vomar Color A3";
constexpr const char* kConfig =
    "[Support]\nNo=1\nDriver1=Vomar PS Color A3\nOutIcm1=Vomar Color A3\n";

// A front end that answers every box with OK or No and keeps the two paths.
class FuzzFrontEnd : public FrontEnd {
 public:
  int Show(const Message& message) override {
    return (message.flags & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
  }
  DownloadMode Mode() const override { return mode; }
  std::string SimulationPath() const override { return simulationPath; }
  std::string OutputPath() const override { return outputPath; }
  void ClearSimulationPath() override { simulationPath.clear(); }
  void ClearOutputPath() override { outputPath.clear(); }
  std::optional<PrinterInfo> SelectedPrinter() const override {
    return PrinterInfo{"Vomar_Fuzz", "fuzz:/", ""};
  }
  void SetCurrentPrinter(const PrinterInfo&) override {}

  DownloadMode mode = DownloadMode::kIccProfile;
  std::string simulationPath;
  std::string outputPath;
};

// One printer on the supported driver; no jobs.
class OnePrinterSpooler : public Spooler {
 public:
  bool ListPrinters(std::vector<PrinterInfo>& printers) override {
    printers = {Printer()};
    return true;
  }
  std::string DefaultPrinterName() override { return Printer().name; }
  std::optional<PrinterInfo> GetPrinter(const std::string&) override { return Printer(); }
  std::unique_ptr<PrinterHandle> Open(const std::string&) override { return nullptr; }
  SpoolerReason LastError() const override { return SpoolerText("no jobs here"); }

 private:
  static PrinterInfo Printer() { return {"Vomar_Fuzz", "fuzz:/", kDriver}; }
};

class SilentMessages : public MessageSink {
 public:
  int Show(const Message&) override { return kIdOk; }
};

}  // namespace

int ChecksInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const unsigned flags = data[0];
  std::size_t simulationSize = data[1] | static_cast<std::size_t>(data[2]) << 8;
  if (simulationSize > size - 3) simulationSize = size - 3;
  const std::uint8_t* simulation = data + 3;
  const std::uint8_t* output = simulation + simulationSize;
  const std::size_t outputSize = size - 3 - simulationSize;

  const std::string simulationPath = WorkDirectory() + "simulation.icc";
  const std::string outputPath = WorkDirectory() + "output.icc";
  const std::string configPath = WorkDirectory() + "KZProFDw.INI";
  static const bool configWritten = WriteWorkFile(
      configPath, reinterpret_cast<const std::uint8_t*>(kConfig), std::string(kConfig).size());
  if (!configWritten || !WriteWorkFile(simulationPath, simulation, simulationSize) ||
      !WriteWorkFile(outputPath, output, outputSize)) {
    return 0;
  }

  const Diagnostics quiet{nullptr, nullptr};
  SilentMessages messages;
  ProfileChecks checks(messages, quiet);
  sink = sink + checks.IsLabPcs(outputPath);
  sink = sink + checks.CheckPcsPair(simulationPath, outputPath).Accepted();
  sink = sink + checks.IsInkProfile(simulationPath) + checks.IsInkProfile(outputPath);
  sink = sink + checks.ReadModelCode(outputPath).modelCode.size();
  sink = sink + checks.CheckProfilePair(simulationPath, outputPath);
  sink = sink + static_cast<std::size_t>(CheckModelDescription(outputPath, kModelText));

  // The output profile's bytes as a 'dmdd' tag of their own.
  TagEntry dmdd;
  dmdd.data.assign(output, output + outputSize);
  dmdd.size = static_cast<std::uint32_t>(outputSize);
  dmdd.loaded = true;
  std::string modelCode;
  ScanModelCode(dmdd, modelCode);
  sink = sink + modelCode.size() + DmddText(dmdd).size();

  FuzzFrontEnd frontEnd;
  frontEnd.mode = (flags & 1) != 0 ? DownloadMode::kInkSimulation : DownloadMode::kIccProfile;
  frontEnd.simulationPath = simulationPath;
  frontEnd.outputPath = outputPath;
  OnePrinterSpooler spooler;
  const SupportConfig config(configPath);
  const ModelCheckServices services{spooler, config};
  const BoxVerdict simulationVerdict = ValidateSimulationProfile(frontEnd, quiet);
  const BoxVerdict outputVerdict =
      ValidateOutputProfile(frontEnd, quiet, (flags & 2) != 0 ? &services : nullptr);

  // What the checks accept, the build makes.
  WorkstationStampClock clock;
  const BuildEnvironment environment{messages, clock, quiet, WorkDirectory()};
  if (frontEnd.mode == DownloadMode::kIccProfile && outputVerdict == BoxVerdict::kAccepted) {
    CrdBuilder builder(environment);
    std::string photo, colorimetric, business;
    if (builder.BuildCrdFiles(outputPath, "Checked", photo, colorimetric, business) !=
        BuildResult::kBuilt) {
      return Violated("the checks accepted a printer profile that the build refuses");
    }
  }
  if (frontEnd.mode == DownloadMode::kInkSimulation &&
      simulationVerdict == BoxVerdict::kAccepted && outputVerdict == BoxVerdict::kAccepted &&
      checks.CheckPcsPair(simulationPath, outputPath).Accepted() &&
      checks.CheckProfilePair(simulationPath, outputPath)) {
    InkSimulationBuilder builder(environment);
    std::string path;
    if (builder.BuildInkSimulation(simulationPath, outputPath, "Checked", path) !=
        BuildResult::kBuilt) {
      return Violated("the checks accepted a profile pair that the build refuses");
    }
  }
  return 0;
}

}  // namespace vomar::fuzz
