#include "config/model_match.h"

#include "common/message_catalogue.h"
#include "icc/profile_reader.h"
#include "icc/signatures.h"
#include "config/printer_list.h"
#include "icc/tag_text.h"

namespace vomar {

ModelCheck FindOutputModel(const std::string& listText, Spooler& spooler,
                           const SupportConfig& config, std::string& modelText) {
  if (listText.empty()) return ModelCheck::kPrinterFailed;
  const std::optional<PrinterInfo> printer =
      spooler.GetPrinter(PrinterNameFromEntryText(listText));
  if (!printer) return ModelCheck::kPrinterFailed;

  const SupportEntryMatch match = config.FindEntryForDriver(printer->driver);
  if (match.result == DriverMatch::kFound) modelText = match.outIcm;
  // The scan's results 0, 1 and 2 are the check's.
  return static_cast<ModelCheck>(match.result);
}

ModelCheck CheckModelDescription(const std::string& profilePath, const std::string& modelText) {
  TagEntry dmdd;
  switch (ReadFirstTag(profilePath, sig::kDmdd, dmdd)) {
    case TagLookup::kAbsent:
      return ModelCheck::kMatches;
    case TagLookup::kUnreadable:
      return ModelCheck::kProfileUnreadable;
    case TagLookup::kFound:
      break;
  }
  return DmddText(dmdd, kMaxModelDescriptionBytes).starts_with(modelText)
             ? ModelCheck::kMatches
             : ModelCheck::kMismatch;
}

Message ModelCheckMessage(ModelCheck result) {
  switch (result) {
    case ModelCheck::kPrinterFailed: return ErrorMessage(MessageId::kDriverFailed);
    case ModelCheck::kConfigFailed:
      return ErrorMessage(MessageId::kConfigurationDamaged, {kConfigFileName});
    case ModelCheck::kProfileUnreadable: return ErrorMessage(MessageId::kOutputProfileFailed);
    case ModelCheck::kMismatch:
    default: return ErrorMessage(MessageId::kProfileNotForDriver);
  }
}

}  // namespace vomar
