#include "commands/path_box_checks.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "common/message_catalogue.h"
#include "commands/download_command.h"
#include "commands/printer_choice_check.h"
#include "commands/refusal_lines.h"
#include "icc/profile_acceptance.h"
#include "config/model_match.h"
#include "crd/crd_requirements.h"
#include "ink/ink_requirements.h"

namespace vomar {

namespace {

using enum MessageId;

// One of the two path boxes, as the validators see it.
struct Box {
  std::string path;
  MessageId cannotOpen;
  void (FrontEnd::*clear)();
};

// Shows the refusal, with the line that says what is missing or wrong under its text
// when there is one, and empties the box.
BoxVerdict Refuse(FrontEnd& frontEnd, const Box& box, MessageId id,
                  const std::optional<BuildRefusal>& reason = std::nullopt) {
  constexpr unsigned kFlags = kMbOk | kMbIconHand;
  frontEnd.Show(reason ? WithLineAppended(id, RefusalLine(*reason), kFlags)
                       : MainDialogMessage(id, kFlags));
  (frontEnd.*box.clear)();
  return BoxVerdict::kRefused;
}

// Refuses a file that cannot be opened, with a line naming it and the system's reason.
BoxVerdict RefuseUnopened(FrontEnd& frontEnd, const Box& box) {
  const std::optional<std::string> reason = UnreadableReason(box.path);
  frontEnd.Show(reason ? ErrorMessageWithLine(box.cannotOpen, box.path + ": " + *reason)
                       : ErrorMessage(box.cannotOpen));
  (frontEnd.*box.clear)();
  return BoxVerdict::kRefused;
}

// Opens and reads the header; on the way refuses a file that cannot be opened. A folder
// cannot be opened as a file (as on the system the dialog comes from), although a read
// is what fails here.
BoxVerdict ReadBoxHeader(FrontEnd& frontEnd, const Box& box, const Diagnostics& diag,
                         ProfileHeader& header) {
  std::error_code error;
  if (std::filesystem::is_directory(box.path, error)) return RefuseUnopened(frontEnd, box);
  const HeaderReading reading = ReadHeaderOnly(box.path, diag);
  switch (reading.result) {
    case HeaderReadResult::kCannotOpen:
      return RefuseUnopened(frontEnd, box);
    case HeaderReadResult::kShort:
      return BoxVerdict::kUnread;
    case HeaderReadResult::kRead:
      break;
  }
  header = reading.header;
  return BoxVerdict::kAccepted;
}

// The tests both boxes share in the ink-simulation mode: kAccepted, or the refusal.
BoxVerdict InkModeHeaderCheck(FrontEnd& frontEnd, const Box& box, const ProfileHeader& header) {
  if (header.deviceClass != sig::kPrtr) return Refuse(frontEnd, box, kNotPrinterProfile);
  if (auto refusal = ColourSpaceRefusal(header)) {
    return Refuse(frontEnd, box, kUnsupportedProfile, refusal);
  }
  if (header.manufacturer != sig::kTavn) return Refuse(frontEnd, box, kWrongMaker);
  return BoxVerdict::kAccepted;
}

// After the tests above, what the build itself would refuse (message 9 and the reason).
BoxVerdict BuildCheck(FrontEnd& frontEnd, const Box& box,
                      const std::optional<BuildRefusal>& refusal) {
  return refusal ? Refuse(frontEnd, box, kUnsupportedProfile, refusal) : BoxVerdict::kAccepted;
}

}  // namespace

const char* BoxVerdictText(BoxVerdict verdict) {
  switch (verdict) {
    case BoxVerdict::kEmpty:
      return "empty";
    case BoxVerdict::kAccepted:
      return "accepted";
    case BoxVerdict::kRefused:
      return "refused";
    case BoxVerdict::kUnread:
      return "unread";
    case BoxVerdict::kNotChecked:
      return "not checked";
  }
  return "";
}

BoxVerdict ValidateOutputProfile(FrontEnd& frontEnd, const Diagnostics& diag,
                                 const ModelCheckServices* modelCheck) {
  const Box box{frontEnd.OutputPath(), kCannotOpenOutputProfile, &FrontEnd::ClearOutputPath};
  if (box.path.empty()) return BoxVerdict::kEmpty;
  ProfileHeader header;
  const BoxVerdict read = ReadBoxHeader(frontEnd, box, diag, header);
  if (read != BoxVerdict::kAccepted) return read;

  if (frontEnd.Mode() != DownloadMode::kInkSimulation) {
    if (header.deviceClass != sig::kPrtr) return Refuse(frontEnd, box, kNotPrinterProfile);
    if (auto refusal = ColourSpaceRefusal(header)) {
      return Refuse(frontEnd, box, kUnsupportedProfile, refusal);
    }
    if (auto refusal = VersionRefusal(header)) {
      return Refuse(frontEnd, box, kUnsupportedProfile, refusal);
    }
    return BuildCheck(frontEnd, box, CrdBuildRefusal(box.path));
  }

  if (const BoxVerdict verdict = InkModeHeaderCheck(frontEnd, box, header);
      verdict != BoxVerdict::kAccepted) {
    return verdict;
  }
  // An ink-simulation profile put where the output profile belongs.
  ProfileChecks checks(frontEnd, diag);
  if (checks.IsInkProfile(box.path)) return Refuse(frontEnd, box, kNotOutputProfile);
  if (modelCheck != nullptr) {
    if (CheckOutputProfileForPrinter(frontEnd, modelCheck->spooler, modelCheck->config) !=
        ModelCheck::kMatches) {
      return BoxVerdict::kRefused;
    }
  }
  return BuildCheck(frontEnd, box, InkBuildRefusal(box.path, InkProfileRole::kOutput));
}

BoxVerdict ValidateSimulationProfile(FrontEnd& frontEnd, const Diagnostics& diag) {
  // In the ICC-profile mode the box is disabled and its file never opened.
  if (frontEnd.Mode() != DownloadMode::kInkSimulation) return BoxVerdict::kNotChecked;
  const Box box{frontEnd.SimulationPath(), kCannotOpenSimulationProfile,
                &FrontEnd::ClearSimulationPath};
  if (box.path.empty()) return BoxVerdict::kEmpty;
  ProfileHeader header;
  const BoxVerdict read = ReadBoxHeader(frontEnd, box, diag, header);
  if (read != BoxVerdict::kAccepted) return read;

  if (const BoxVerdict verdict = InkModeHeaderCheck(frontEnd, box, header);
      verdict != BoxVerdict::kAccepted) {
    return verdict;
  }
  ProfileChecks checks(frontEnd, diag);
  if (!checks.IsInkProfile(box.path)) return Refuse(frontEnd, box, kNotSimulationProfile);
  return BuildCheck(frontEnd, box, InkBuildRefusal(box.path, InkProfileRole::kSimulation));
}

}  // namespace vomar
