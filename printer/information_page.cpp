#include "printer/information_page.h"

#include <cstddef>

#include "printer/download_job.h"

namespace vomar {

// Generated at build time from printer/information_page.ps and information_page_en.ps
// (cmake/embed_file.cmake).
extern const unsigned char kInformationPageProgram[];
extern const std::size_t kInformationPageProgramSize;
extern const unsigned char kInformationPageProgramEnglish[];
extern const std::size_t kInformationPageProgramEnglishSize;

std::string_view InformationPageProgram(Language language) {
  if (language == Language::kEnglish) {
    return {reinterpret_cast<const char*>(kInformationPageProgramEnglish),
            kInformationPageProgramEnglishSize};
  }
  return {reinterpret_cast<const char*>(kInformationPageProgram), kInformationPageProgramSize};
}

BytesJobResult SendInformationPage(DownloadJob& job, const std::string& printerName) {
  return job.SendJobBytes(printerName, InformationPageProgram(MessageLanguage()),
                          kInformationPageDocument);
}

}  // namespace vomar
