#include "printer/information_page.h"

#include <cstddef>

#include "printer/download_job.h"

namespace vomar {

// Generated at build time from printer/information_page.ps (cmake/embed_file.cmake).
extern const unsigned char kInformationPageProgram[];
extern const std::size_t kInformationPageProgramSize;

std::string_view InformationPageProgram() {
  return {reinterpret_cast<const char*>(kInformationPageProgram), kInformationPageProgramSize};
}

BytesJobResult SendInformationPage(DownloadJob& job, const std::string& printerName) {
  return job.SendJobBytes(printerName, InformationPageProgram(), kInformationPageDocument);
}

}  // namespace vomar
