#include "download/output_profile_check.h"

#include <string>

#include "common/string_table.h"
#include "printer/model_check.h"

namespace vomar {

int CheckOutputProfileForPrinter(FrontEnd& frontEnd, Spooler& spooler,
                                 const SupportConfig& config) {
  if (frontEnd.Mode() != InkSimulation) return kModelMatches;
  const std::string profilePath = frontEnd.OutputPath();
  if (profilePath.empty()) return kModelMatches;

  std::string modelText;
  int result = FindOutputModel(frontEnd.CurrentPrinterText(), spooler, config, modelText);
  if (result == kModelMatches) result = CheckModelDescription(profilePath, modelText);
  if (result == kModelMatches) return result;

  frontEnd.Show(Message{ModelCheckMessageText(result), std::string(kErrorCaption),
                        kMbOk | kMbIconHand, MessageOwner::kMainDialog});
  frontEnd.ClearOutputPath();
  return result;
}

}  // namespace vomar
