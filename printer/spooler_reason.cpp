#include "printer/spooler_reason.h"

#include <vector>

namespace vomar {

namespace {

MessageId PhraseText(SpoolerPhrase phrase) {
  switch (phrase) {
    case SpoolerPhrase::kText: break;
    case SpoolerPhrase::kNoAnswer: return MessageId::kSpoolerNoAnswer;
    case SpoolerPhrase::kCannotConnect: return MessageId::kSpoolerCannotConnect;
    case SpoolerPhrase::kPasswordWanted: return MessageId::kSpoolerPasswordWanted;
    case SpoolerPhrase::kInterrupted: return MessageId::kSpoolerInterrupted;
    case SpoolerPhrase::kNoPrinterName: return MessageId::kSpoolerNoPrinterName;
    case SpoolerPhrase::kNoSuchPrinter: return MessageId::kSpoolerNoSuchPrinter;
    case SpoolerPhrase::kNoState: return MessageId::kSpoolerNoState;
    case SpoolerPhrase::kNoCreationTime: return MessageId::kSpoolerNoCreationTime;
    case SpoolerPhrase::kNoDefaultPrinter: return MessageId::kSpoolerNoDefaultPrinter;
    case SpoolerPhrase::kListingPrinters: return MessageId::kSpoolerListingPrinters;
    case SpoolerPhrase::kPrinter: return MessageId::kSpoolerPrinter;
    case SpoolerPhrase::kJob: return MessageId::kSpoolerJob;
    case SpoolerPhrase::kReadingJobTime: return MessageId::kSpoolerReadingJobTime;
    case SpoolerPhrase::kReleasingJob: return MessageId::kSpoolerReleasingJob;
    case SpoolerPhrase::kStartingDocumentOn: return MessageId::kSpoolerStartingDocumentOn;
    case SpoolerPhrase::kCreatingJobOn: return MessageId::kSpoolerCreatingJobOn;
    case SpoolerPhrase::kSendingDocumentOn: return MessageId::kSpoolerSendingDocumentOn;
    case SpoolerPhrase::kWritingOn: return MessageId::kSpoolerWritingOn;
    case SpoolerPhrase::kReadingJobTimeOn: return MessageId::kSpoolerReadingJobTimeOn;
    case SpoolerPhrase::kFinishingDocumentOn: return MessageId::kSpoolerFinishingDocumentOn;
    case SpoolerPhrase::kReleasingJobOn: return MessageId::kSpoolerReleasingJobOn;
    case SpoolerPhrase::kDocumentAlreadyOpen: return MessageId::kSpoolerDocumentAlreadyOpen;
    case SpoolerPhrase::kJobNeedsDocument: return MessageId::kSpoolerJobNeedsDocument;
    case SpoolerPhrase::kNoJobOpen: return MessageId::kSpoolerNoJobOpen;
    case SpoolerPhrase::kNoDocumentOpen: return MessageId::kSpoolerNoDocumentOpen;
    case SpoolerPhrase::kDocumentEmpty: return MessageId::kSpoolerDocumentEmpty;
    case SpoolerPhrase::kJobHoldsDocuments: return MessageId::kSpoolerJobHoldsDocuments;
    case SpoolerPhrase::kJobEndedEarly: return MessageId::kSpoolerJobEndedEarly;
    case SpoolerPhrase::kNotCancelled: return MessageId::kSpoolerNotCancelled;
    case SpoolerPhrase::kCannotOpenFile: return MessageId::kFileCannotOpen;
    case SpoolerPhrase::kCannotReadFile: return MessageId::kFileCannotRead;
  }
  return MessageId::kEnd;
}

}  // namespace

std::string SpoolerReasonText(const SpoolerReason& reason, Language language) {
  // Worded from the innermost part out: each part's text takes the rest as its last value.
  std::string text;
  for (auto part = reason.parts.rbegin(); part != reason.parts.rend(); ++part) {
    std::vector<std::string> values = part->values;
    if (part != reason.parts.rbegin()) values.push_back(std::move(text));
    text = part->phrase == SpoolerPhrase::kText
               ? (values.empty() ? std::string() : values.front())
               : MessageText(PhraseText(part->phrase), language, values);
  }
  return text;
}

}  // namespace vomar
