// The program's string table and the texts it holds itself.
#pragma once

#include <string>
#include <vector>

#include "common/messages.h"

namespace vomar {

// The entries of the spooler-failure, stopped-queue and unreadable-profile messages.
enum StringId : int {
  kSpoolerFailed = 122,
  kResourcesSentLabel = 123,
  kResourcesNotSentLabel = 124,
  kQueueStopped = 125,
  kDownloadQueued = 126,
  kProfileUnreadable = 127,
};

// Text of string-table entry `id`; empty for an id the table does not hold.
const char* StringTableText(int id);

// Caption of the boxes owned by the main dialog (string 120).
inline constexpr const char* kMainCaption = "Vomar Profile Downloader";
// Caption of the boxes with texts held in the program.
inline constexpr const char* kErrorCaption = "Voma Profile Downloader Err";

// The path-too-long messages of the simulation-profile and output-profile boxes.
inline constexpr const char* kSimulationPathTooLongText =
    "指定のシュミュレーションプロファイルパスが長すぎます。\r\n"
    "指定のシュミュレーションプロファイルパスを確認してください。";
inline constexpr const char* kOutputPathTooLongText =
    "指定の出力プロファイルパスが長すぎます。\r\n"
    "指定の出力プロファイルパスを確認してください。";

// A string-table box owned by the main dialog with caption string 120.
Message MainDialogMessage(int id, unsigned flags);
// A string-table box with no owner and no caption (the application's name).
Message OwnerlessMessage(int id, unsigned flags = kMbOk);
// A box owned by the main dialog with no caption given (the application's name).
Message UncaptionedDialogMessage(int id, unsigned flags = kMbOk);

// String-table text `textId` with `line` inserted after its first line; owned by the
// main dialog, caption string 120.
Message WithLineInserted(int textId, const std::string& line, unsigned flags);

// A download or job that stopped at a failure: the first line of text `textId`, the
// reason, the resources (printer-side names) sent and not sent, then the rest of the
// text. Owned by the main dialog, caption string 120, stop icon.
Message FailureWithResources(int textId, const std::string& reason,
                             const std::vector<std::string>& sent,
                             const std::vector<std::string>& notSent);

// The printer or the print server did not take a job (string 122), with the spooler's
// reason in the text.
Message SpoolerFailureMessage(const std::string& reason,
                              const std::vector<std::string>& sent = {},
                              const std::vector<std::string>& notSent = {});

}  // namespace vomar
