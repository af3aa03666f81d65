// The download-information page: a PostScript program that the printer runs to print
// one page listing the custom ColorRendering resources and ink-simulation files on its
// disk. The programs, Japanese (printer/information_page.ps) and English
// (printer/information_page_en.ps), are compiled into the binary.
#pragma once

#include <string>
#include <string_view>

#include "common/message_catalogue.h"
#include "printer/download_job.h"

namespace vomar {

// Document name of the page job.
inline constexpr const char* kInformationPageDocument = "HDD_INFORMATION_FILE";

// The page program's bytes in `language`, exactly as the source file holds them (CR LF
// line ends).
std::string_view InformationPageProgram(Language language = Language::kJapanese);

// Sends the page program in the messages' language (MessageLanguage) to `printerName`
// in the download job's envelope, in one write: DownloadJob::SendJobBytes's result.
BytesJobResult SendInformationPage(DownloadJob& job, const std::string& printerName);

}  // namespace vomar
