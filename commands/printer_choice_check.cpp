#include "commands/printer_choice_check.h"

#include <string>

#include "config/model_match.h"

namespace vomar {

ModelCheck CheckOutputProfileForPrinter(FrontEnd& frontEnd, Spooler& spooler,
                                        const SupportConfig& config) {
  if (frontEnd.Mode() != DownloadMode::kInkSimulation) return ModelCheck::kMatches;
  const std::string profilePath = frontEnd.OutputPath();
  if (profilePath.empty()) return ModelCheck::kMatches;

  std::string modelText;
  ModelCheck result = FindOutputModel(frontEnd.SelectedPrinter(), spooler, config, modelText);
  if (result == ModelCheck::kMatches) result = CheckModelDescription(profilePath, modelText);
  if (result == ModelCheck::kMatches) return result;

  frontEnd.Show(ModelCheckMessage(result));
  frontEnd.ClearOutputPath();
  return result;
}

}  // namespace vomar
