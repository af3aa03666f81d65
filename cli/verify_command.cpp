// vomar-download verify REFERENCE MEASURED: judges the measurements of a printed chart
// against its reference. Exit status 0 within tolerance, 1 outside it, 2 for a file that
// cannot be read (or written).
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "proof/report_picture.h"
#include "proof/verify.h"

namespace vomar::cli {

namespace {

constexpr int kUnreadable = 2;

int Problem(const std::string& problem) {
  std::fprintf(stderr, "%s verify: %s\n", kApplicationName, problem.c_str());
  return kUnreadable;
}

bool EndsWith(const std::string& text, const char* suffix) {
  const std::string end(suffix);
  if (text.size() < end.size()) return false;
  for (std::size_t k = 0; k < end.size(); ++k) {
    const char c = text[text.size() - end.size() + k];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != end[k]) return false;
  }
  return true;
}

}  // namespace

int RunVerifyCommand(const Arguments& arguments) {
  if (arguments.Operands().size() != 2) {
    return arguments.UsageError("needs REFERENCE and MEASURED");
  }
  proof::VerifyOptions options;
  options.absolute = arguments.Has("--absolute");
  const std::string against = arguments.Has("--against") ? arguments.Value("--against") : "expected";
  if (against != "expected" && against != "target") {
    return arguments.UsageError("--against takes expected|target");
  }
  options.against =
      against == "target" ? proof::VerifyAgainst::kTarget : proof::VerifyAgainst::kExpected;
  const std::string reportPath = arguments.Value("--report");
  if (arguments.Has("--report") && !EndsWith(reportPath, ".png") && !EndsWith(reportPath, ".svg")) {
    return arguments.UsageError("--report takes a file name ending in .png or .svg");
  }
  std::string problem;
  if (arguments.Has("--tolerances")) {
    std::optional<proof::Tolerances> tolerances =
        proof::ReadTolerances(arguments.Value("--tolerances"), problem);
    if (!tolerances) return Problem(problem);
    options.tolerances = std::move(*tolerances);
  }

  const std::optional<proof::VerifyReport> report = proof::VerifyChart(
      arguments.Operands()[0], arguments.Operands()[1], options, problem);
  if (!report) return Problem(problem);
  const std::string table = proof::VerifyTable(*report);
  std::fwrite(table.data(), 1, table.size(), stdout);
  std::fflush(stdout);

  if (!reportPath.empty()) {
    const std::string picture = proof::ReportPicture(
        *report, EndsWith(reportPath, ".png") ? proof::PictureFormat::kPng
                                              : proof::PictureFormat::kSvg);
    std::FILE* file = std::fopen(reportPath.c_str(), "wb");
    const bool written = file != nullptr &&
                         std::fwrite(picture.data(), 1, picture.size(), file) == picture.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) {
      return Problem("cannot write " + reportPath);
    }
  }
  return report->passed ? 0 : 1;
}

}  // namespace vomar::cli
