#include "commands/refusal_lines.h"

#include "common/message_catalogue.h"
#include "common/text_writer.h"

namespace vomar {
namespace {

using enum MessageId;

std::string Quoted(Signature signature) { return "'" + SignatureText(signature) + "'"; }

}  // namespace

std::string RefusalLine(const BuildRefusal& refusal) {
  const std::string tag = Quoted(refusal.tag);
  switch (refusal.what) {
    case Refusal::kCannotOpen:
      return MessageText(kRefusalCannotOpen);
    case Refusal::kUnreadable:
      return MessageText(kRefusalUnreadable, {ReadFailureLine(refusal.reading)});
    case Refusal::kTagPastEnd:
      return MessageText(kRefusalTagPastEnd, {tag});
    case Refusal::kMissingTags: {
      std::string missing;
      for (Signature each : refusal.missing) missing += (missing.empty() ? "" : ", ") + Quoted(each);
      return MessageText(kRefusalMissingTags, {missing});
    }
    case Refusal::kVersion:
      return MessageText(kRefusalVersion,
                         {std::to_string(refusal.major), std::to_string(refusal.minor)});
    case Refusal::kColourSpace:
      return MessageText(kRefusalColourSpace, {Quoted(refusal.found)});
    case Refusal::kConnectionSpace:
      return MessageText(refusal.xyzAllowed ? kRefusalLabOrXyz : kRefusalLabOnly,
                         {Quoted(refusal.found)});
    case Refusal::kWhitePoint:
      return MessageText(kRefusalWhitePoint);
    case Refusal::kIlluminant: {
      const auto value = [&](int k) { return FormatC("%.4f", refusal.illuminant[k] / 65536.0); };
      return MessageText(kRefusalIlluminant, {value(0), value(1), value(2)});
    }
    case Refusal::kTagRepeated:
      return MessageText(kRefusalTagRepeated,
                         {tag, std::to_string(refusal.repeats), std::to_string(kMaxTagRepeats)});
    case Refusal::kTableType:
      return MessageText(kRefusalTableType, {tag, Quoted(refusal.found)});
    case Refusal::kTableShort:
      return MessageText(kRefusalTableShort, {tag});
    case Refusal::kTableChannels:
      return MessageText(kRefusalTableChannels,
                         {tag, std::to_string(refusal.has.inputs), std::to_string(refusal.has.outputs),
                          std::to_string(refusal.needs.inputs), std::to_string(refusal.needs.outputs)});
    case Refusal::kTableGrid:
      return MessageText(kRefusalTableGrid, {tag, std::to_string(refusal.has.gridPoints)});
    case Refusal::kTableData:
      return MessageText(kRefusalTableData, {tag});
    case Refusal::kTableUnreadable:
      return MessageText(kRefusalTableUnreadable, {tag, Quoted(refusal.found)});
    case Refusal::kTableEmpty:
      return MessageText(kRefusalTableEmpty, {tag});
    case Refusal::kTableDeclared:
      return MessageText(kRefusalTableDeclared,
                         {tag, std::to_string(refusal.has.inputs), std::to_string(refusal.has.outputs),
                          std::to_string(refusal.declared.inputs),
                          std::to_string(refusal.declared.outputs)});
  }
  return {};
}

}  // namespace vomar
