#include "config/model_match.h"

#include "common/message_catalogue.h"
#include "icc/profile_reader.h"
#include "icc/signatures.h"
#include "icc/tag_text.h"

namespace vomar {

ModelCheck FindOutputModel(const std::optional<PrinterInfo>& printer, Spooler& spooler,
                           const SupportConfig& config, std::string& modelText) {
  if (!printer) return ModelCheck::kPrinterFailed;
  const std::optional<PrinterInfo> current = spooler.GetPrinter(printer->name);
  if (!current) return ModelCheck::kPrinterFailed;

  const SupportEntryMatch match = config.FindEntryForDriver(current->driver);
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
