// The message catalogue: every text the program shows in a box, and every box caption,
// each under an id of its own in Japanese (the program's own texts) and in English, and
// the boxes built from them. Texts break their lines
// with "\n" (the front ends show them as they are). Composed messages (a line under the
// first line, a failure with its reason and the resources sent and not sent) are built
// here and nowhere else.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"

namespace vomar {

enum class MessageId : int {
  // The string table's texts, under their numbers.
  kCannotListPrinters = 3,  // the table held no text; the program shows a real one
  kProfileFaulty = 6,       // also the table's 4, 12 and 13, which held the same text
  kConfirmDownload = 8,
  kUnsupportedProfile = 9,
  kWrongMaker = 10,
  kNotPrinterProfile = 11,
  kQuitQuestion = 14,
  kVersionCommand = 101,
  kChooseSimulationProfile = 104,
  kChooseOutputProfile = 105,
  kChooseBothProfiles = 106,
  kDownloadComplete = 109,
  kPagePrinted = 110,
  kPageFailed = 111,
  kNoPrinterInstalled = 112,
  kNoSupportedPrinter = 113,
  kPcsPairWrong = 116,
  kNotSimulationProfile = 117,
  kNotOutputProfile = 118,
  kPrintPageQuestion = 119,
  kMainCaption = 120,
  kProfilePairWrong = 121,
  kSpoolerFailed = 122,  // the reason and the resources stand after its first line
  kSentLabel = 123,
  kNotSentLabel = 124,
  kQueueStopped = 125,  // the queue's name and state stand after its first line
  kDownloadQueued = 126,
  kProfileUnreadable = 127,  // the path and the reason stand after its first line

  // Texts held in the program (shown under the error caption), numbered on from 200; a
  // new text takes the place before kEnd.
  kErrorCaption = 200,
  kStartupFailed,
  kNoValidCount,           // %1: the configuration file
  kConfigurationNotFound,  // %1: the configuration file's name; the places follow
  kSimulationPathTooLong,
  kOutputPathTooLong,
  kCannotOpenSimulationProfile,
  kCannotOpenOutputProfile,
  kDriverFailed,
  kConfigurationDamaged,  // %1: the configuration file's name
  kOutputProfileFailed,
  kProfileNotForDriver,
  kNoPrinterForDownload,
  kNoPrinterForPage,
  kTemporaryFolderUnusable,
  kCrdPathTooLong,
  kInkStemTooLong,
  kInkPathTooLong,
  kInkStemHasSlash,
  kJobPathTooLong,
  kReferenceUnwritable,

  // The control chart: its command's question and messages (main caption), then the
  // texts printed on the sheet's header (labels end in ": " and stand before a value).
  kChartQuestion,
  kChartPrinted,
  kChartQueued,
  kChartTitle,
  kChartPrinterLabel,
  kChartResourceLabel,
  kChartMethodNative,
  kChartMethodComputed,
  kChartLatestLabel,
  kChartProfileLabel,
  kChartSimulationLabel,
  kChartOutputLabel,
  kChartReferenceLabel,
  kChartDateLabel,
  kChartResourceMissing,
  kChartResourceUnusable,

  // The line under "unsupported profile" (9) that names why a build would refuse the
  // profile (commands/refusal_lines).
  kRefusalCannotOpen,
  kRefusalUnreadable,        // %1: the reader's last diagnostic line
  kRefusalTagPastEnd,        // %1: the tag
  kRefusalMissingTags,       // %1: the tags
  kRefusalVersion,           // %1.%2: the version
  kRefusalColourSpace,       // %1: the colour space
  kRefusalLabOrXyz,          // %1: the PCS
  kRefusalLabOnly,           // %1: the PCS
  kRefusalWhitePoint,
  kRefusalTableType,         // %1: the tag, %2: its type
  kRefusalTableShort,        // %1: the tag
  kRefusalTableChannels,     // %1: the tag, %2/%3: its inputs/outputs, %4/%5: needed
  kRefusalTableGrid,         // %1: the tag, %2: its grid points
  kRefusalTableData,         // %1: the tag
  kRefusalTableUnreadable,   // %1: the tag, %2: its type
  kConfigurationUnreadable,  // %1: the configuration file, %2: why
  kConfigurationTooLarge,    // %1: the configuration file, %2: its size, %3: the limit
  kRefusalIlluminant,        // %1, %2, %3: the header's X, Y, Z
  kRefusalTagRepeated,       // %1: the tag, %2: how often it stands, %3: the limit
  kRefusalTableEmpty,        // %1: the tag
  kRefusalTableDeclared,     // %1: the tag, %2/%3: its elements' inputs/outputs, %4/%5: declared
  kConfigurationUsed,      // %1: the configuration file read
  kConfigurationShadowed,  // %1: a configuration file not read, as an earlier place wins
  kDriverNotListed,        // %1: the printer, %2: its driver, %3: the entry count
  kDriverNotComparable,    // %1: the printer, %2: its driver
  kQueueRejecting,         // %1: the queue
  kQueuePaused,            // %1: the queue
  kPageQueueStopped,       // the queue's name and state stand after its first line
  kPageQueued,
  kNoPrinterFound,  // a new listing found no supported printer; the dialog stays
  kQueueUnavailable,  // the reason stands after its first line
  kQueueRefusing,     // the reason stands after its first line

  // Why a file cannot be read as a profile, when the system gave no reason of its own.
  kFileNotRegular,
  kFileEmpty,
  kFileTooShort,  // %1: its size
  // The spooler's reasons (SpoolerPhrase, printer/spooler_reason): a phrase that stands
  // before the rest of the reason has that rest as its last argument.
  kSpoolerNoAnswer,
  kSpoolerCannotConnect,      // %1: the server
  kSpoolerPasswordWanted,     // %1: the IPP status
  kSpoolerInterrupted,        // %1: the signal
  kSpoolerNoPrinterName,
  kSpoolerNoSuchPrinter,
  kSpoolerNoState,
  kSpoolerNoCreationTime,
  kSpoolerNoDefaultPrinter,
  kSpoolerListingPrinters,
  kSpoolerPrinter,            // %1: the queue
  kSpoolerJob,                // %1: the job's id
  kSpoolerReadingJobTime,
  kSpoolerReleasingJob,
  kSpoolerStartingDocumentOn, // %1: the queue (so every "...On" text)
  kSpoolerCreatingJobOn,
  kSpoolerSendingDocumentOn,
  kSpoolerWritingOn,
  kSpoolerReadingJobTimeOn,
  kSpoolerFinishingDocumentOn,
  kSpoolerReleasingJobOn,
  kSpoolerDocumentAlreadyOpen,
  kSpoolerJobNeedsDocument,
  kSpoolerNoJobOpen,
  kSpoolerNoDocumentOpen,
  kSpoolerDocumentEmpty,
  kSpoolerJobHoldsDocuments,  // %1: how many
  kSpoolerJobEndedEarly,      // %1 of %2
  kSpoolerNotCancelled,       // %1: the job's id, %2: the failure
  // What could not be done to a file (common/output_file.h): %1 the file, then the
  // system's text.
  kFileCannotOpen,
  kFileCannotRead,
  kFileCannotCreate,
  kFileCannotWrite,
  kFileCannotExamine,
  kFileCannotCloseToOthers,
  kFileCannotOpenLock,
  kFileCannotLock,
  kFileCannotRename,  // %1 to %2, %3: the system's text
  kNoBuildFolder,
  kEnd,  // no text: one past the last
};

// The language of the texts. Japanese is the program's own: an entry without a text in
// the chosen language shows its Japanese one.
enum class Language { kJapanese, kEnglish };

// The language every later lookup uses; Japanese until a front end chooses another.
void SetMessageLanguage(Language language);
Language MessageLanguage();

// The user's language from the locale variables, in the C library's order of precedence
// (the first that is set and not empty decides): English when it begins with "en",
// Japanese for every other locale and when none is set.
Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The same from this process's LC_ALL, LC_MESSAGES and LANG.
Language UserLanguage();

// One entry of the catalogue: its id and its text in each language.
struct CatalogueEntry {
  MessageId id;
  const char* japanese;
  const char* english;
};
// Every entry, in the order of their ids.
std::span<const CatalogueEntry> CatalogueEntries();

// The text of `id` in the current language.
const char* MessageText(MessageId id);
// The same with "%1", "%2", ... replaced by `arguments` in order.
std::string MessageText(MessageId id, std::initializer_list<std::string_view> arguments);
// The text of `id` in `language`, "%1", "%2", ... replaced by `arguments` in order: for a
// reason that may also stand in one of the command line's own English lines.
std::string MessageText(MessageId id, Language language, std::span<const std::string> arguments);

// The text of `id` in a box owned by the main dialog with the main caption (string 120).
Message MainDialogMessage(MessageId id, unsigned flags);
// ... in a box with no owner and no caption (the application's name).
Message OwnerlessMessage(MessageId id, unsigned flags = kMbOk);
// ... in a box owned by the main dialog with no caption (the application's name).
Message UncaptionedDialogMessage(MessageId id, unsigned flags = kMbOk);
// ... under the error caption ("Voma Profile Downloader Err"), by default owned by the
// main dialog with the stop icon.
Message ErrorMessage(MessageId id, MessageOwner owner = MessageOwner::kMainDialog,
                     unsigned flags = kMbOk | kMbIconHand);
// ... the same with "%1", "%2", ... replaced by `arguments` in order.
Message ErrorMessage(MessageId id, std::initializer_list<std::string_view> arguments);
// ... owned by the main dialog with the stop icon, `line` added as its last line.
Message ErrorMessageWithLine(MessageId id, const std::string& line);

// The text of `id` with `line` inserted after its first line; owned by the main dialog,
// main caption.
Message WithLineInserted(MessageId id, const std::string& line, unsigned flags);
// The text of `id` with `line` added as its last line; owned by the main dialog, main
// caption.
Message WithLineAppended(MessageId id, const std::string& line, unsigned flags);

// A download or job that stopped at a failure: the first line of text `id`, the reason,
// the resources (printer-side names) sent and not sent, then the rest of the text.
// Owned by the main dialog, main caption, stop icon.
Message FailureWithResources(MessageId id, const std::string& reason,
                             const std::vector<std::string>& sent,
                             const std::vector<std::string>& notSent);

// The printer or the print server did not take a job, with the spooler's reason.
Message SpoolerFailureMessage(const std::string& reason,
                              const std::vector<std::string>& sent = {},
                              const std::vector<std::string>& notSent = {});

// The start-up failure followed by the text `line` (which says what is wrong with the
// configuration file) with its arguments, and by the `shadowed` configuration files of
// later places, which the file hides.
Message StartupFailureMessage(MessageId line, std::initializer_list<std::string_view> arguments,
                              const std::vector<std::string>& shadowed = {});
// The start-up failure when no file `fileName` is at any of `places`, which it lists.
Message StartupFailureMessage(const std::string& fileName, const std::vector<std::string>& places);

// Message `id` (113 or kNoPrinterFound: no installed printer has a supported driver),
// followed by the configuration file `used` and the `shadowed` ones; `detail` says of
// each printer why it was left out.
Message NoSupportedPrinterMessage(MessageId id, const std::string& used,
                                  const std::vector<std::string>& shadowed, std::string detail);

}  // namespace vomar
