#include "commands/path_box_checks.h"

#include <string>

#include "common/string_table.h"
#include "commands/printer_choice_check.h"
#include "icc/profile_acceptance.h"
#include "config/model_match.h"

namespace vomar {

namespace {

constexpr const char* kCannotOpenOutput =
    "指定の出力プロファイルが開けません。\r\n"
    "指定の出力プロファイルが正しいことを確認してください。";
constexpr const char* kCannotOpenSimulation =
    "指定のシュミュレーションプロファイルが開けません。\r\n"
    "指定のシュミュレーションプロファイルが正しいことを確認してください。";

// One of the two path boxes, as the validators see it.
struct Box {
  std::string path;
  const char* cannotOpenText;
  void (FrontEnd::*clear)();
};

BoxVerdict Refuse(FrontEnd& frontEnd, const Box& box, int stringId) {
  frontEnd.Show(MainDialogMessage(stringId, kMbOk | kMbIconHand));
  (frontEnd.*box.clear)();
  return BoxVerdict::kRefused;
}

// Opens and reads the header; on the way refuses a file that cannot be opened.
BoxVerdict ReadBoxHeader(FrontEnd& frontEnd, const Box& box, const Diagnostics& diag,
                         ProfileHeader& header) {
  const HeaderReading reading = ReadHeaderOnly(box.path, diag);
  switch (reading.result) {
    case HeaderReadResult::kCannotOpen:
      frontEnd.Show(Message{box.cannotOpenText, std::string(kErrorCaption), kMbOk | kMbIconHand,
                            MessageOwner::kMainDialog});
      (frontEnd.*box.clear)();
      return BoxVerdict::kRefused;
    case HeaderReadResult::kShort:
      return BoxVerdict::kUnread;
    case HeaderReadResult::kRead:
      break;
  }
  header = reading.header;
  return BoxVerdict::kAccepted;
}

// The tests both boxes share in the ink-simulation mode: 0, or the message to refuse with.
int InkModeHeaderRefusal(const ProfileHeader& header) {
  if (header.deviceClass != sig::kPrtr) return 11;
  if (header.colorSpace != sig::kCmyk) return 9;
  if (header.manufacturer != sig::kTavn) return 10;
  return 0;
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
  const Box box{frontEnd.OutputPath(), kCannotOpenOutput, &FrontEnd::ClearOutputPath};
  if (box.path.empty()) return BoxVerdict::kEmpty;
  ProfileHeader header;
  const BoxVerdict read = ReadBoxHeader(frontEnd, box, diag, header);
  if (read != BoxVerdict::kAccepted) return read;

  if (frontEnd.Mode() != DownloadMode::kInkSimulation) {
    if (header.deviceClass != sig::kPrtr) return Refuse(frontEnd, box, 11);
    if (header.colorSpace != sig::kCmyk) return Refuse(frontEnd, box, 9);
    if (!IsVersionAccepted(header)) return Refuse(frontEnd, box, 9);
    return BoxVerdict::kAccepted;
  }

  if (const int refusal = InkModeHeaderRefusal(header); refusal != 0) {
    return Refuse(frontEnd, box, refusal);
  }
  // An ink-simulation profile put where the output profile belongs.
  ProfileChecks checks(frontEnd, diag);
  if (checks.IsInkProfile(box.path)) return Refuse(frontEnd, box, 118);
  if (modelCheck != nullptr) {
    if (CheckOutputProfileForPrinter(frontEnd, modelCheck->spooler, modelCheck->config) !=
        ModelCheck::kMatches) {
      return BoxVerdict::kRefused;
    }
  }
  return BoxVerdict::kAccepted;
}

BoxVerdict ValidateSimulationProfile(FrontEnd& frontEnd, const Diagnostics& diag) {
  // In the ICC-profile mode the box is disabled and its file never opened.
  if (frontEnd.Mode() != DownloadMode::kInkSimulation) return BoxVerdict::kNotChecked;
  const Box box{frontEnd.SimulationPath(), kCannotOpenSimulation,
                &FrontEnd::ClearSimulationPath};
  if (box.path.empty()) return BoxVerdict::kEmpty;
  ProfileHeader header;
  const BoxVerdict read = ReadBoxHeader(frontEnd, box, diag, header);
  if (read != BoxVerdict::kAccepted) return read;

  if (const int refusal = InkModeHeaderRefusal(header); refusal != 0) {
    return Refuse(frontEnd, box, refusal);
  }
  ProfileChecks checks(frontEnd, diag);
  if (!checks.IsInkProfile(box.path)) return Refuse(frontEnd, box, 117);
  return BoxVerdict::kAccepted;
}

}  // namespace vomar
