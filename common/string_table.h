// The program's string table and the texts it holds itself.
#pragma once

#include <string>

#include "common/messages.h"

namespace vomar {

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

}  // namespace vomar
