// Ghostscript acting as a PostScript printer with a hard disk (tools/gs-printer), for
// tests that check what a job stores on the printer and what the printer makes of it.
//
//   GsPrinter printer;                                  // fresh, empty disk
//   GsResult run = printer.RunJob(WrapInJobEnvelope(payload));
//   ASSERT_TRUE(run.ok) << run.log;
//   printer.ReadStoredFile("%disk0%/Ink/Custom1_Ink");
//   printer.RunQuery("(%disk0%Ink/Custom1_Ink) run ...").out;
//
// Each run is a new Ghostscript process, like a printer switched off and on: what one
// job stored on the disk is there for the next (ColorRendering resources included).
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vomar::testing {

struct GsResult {
  bool ok = false;   // ran to the end without a PostScript error
  std::string out;   // RunQuery: what the program printed; PrintText: the page text
  std::string log;   // Ghostscript's report: error messages, problems with stored files
  std::chrono::milliseconds elapsed{0};
};

// Page output of a job: Ghostscript device ("txtwrite", "png16m" or "nullpage") and
// the file that receives the pages (none for nullpage). txtwrite writes its list of
// text runs (TextFormat 0), which PageSpansText (page_spans.h) turns into lines.
struct PageOutput {
  std::string device = "nullpage";
  std::filesystem::path file;
  bool reportFonts = false;  // Ghostscript reports in the log how it finds each font
};

class GsPrinter {
 public:
  // A printer with an empty disk in a fresh temporary folder, removed with the object.
  GsPrinter();
  // A printer on an existing disk folder, such as a queue's disk; the folder is kept.
  explicit GsPrinter(std::filesystem::path disk);
  ~GsPrinter();
  GsPrinter(const GsPrinter&) = delete;
  GsPrinter& operator=(const GsPrinter&) = delete;

  const std::filesystem::path& Disk() const { return disk_; }
  // The host file behind a printer name like "%disk0%/Ink/Custom1_Ink" (the "/" after
  // "%disk0%" may be left out). An empty path for names that are not on the disk.
  std::filesystem::path HostPath(std::string_view diskName) const;
  // The bytes of a stored file, or nothing when the disk has no such file.
  std::optional<std::string> ReadStoredFile(std::string_view diskName) const;

  // Runs a job (PJL envelope around PostScript) as the printer does.
  GsResult RunJobFile(const std::filesystem::path& job, const PageOutput& pages = {}) const;
  GsResult RunJob(std::string_view jobBytes, const PageOutput& pages = {}) const;
  // Runs a plain PostScript program; `out` is what it printed (print, =, ==).
  GsResult RunQuery(std::string_view postscript) const;
  // Runs a plain PostScript program and returns the text of its pages in `out`, one
  // line per run of text with its place, font and size (PageSpansText, page_spans.h).
  GsResult PrintText(std::string_view postscript) const;

 private:
  std::filesystem::path WriteScratch(std::string_view name, std::string_view bytes) const;

  std::filesystem::path disk_;
  std::filesystem::path scratch_;  // temporary folder of this object
  bool ownsDisk_ = false;
};

// What the gsprinter CUPS backend kept of one job, in the folder "jobs" beside the
// queue's disk (tools/cups-backends/gsprinter).
struct PrintedJob {
  int id = 0;
  std::string name;   // the job name, "/" turned into "_"
  std::string bytes;  // the job as the printer received it
  std::string pages;  // page text as PageSpansText gives it; empty without pages
  std::string log;    // Ghostscript's report
  bool failed = false;  // the job ended with a PostScript error
  // What the backend kept of the printed page in the pages folder beside the disk
  // (PagesDir): the picture's path and the page text's bytes (txtwrite's list of text
  // runs); empty for a job that printed no page.
  std::filesystem::path picture;
  std::optional<std::string> keptText;
};

// The disk of a gsprinter queue of the private CUPS server in `serverDir`.
std::filesystem::path QueueDisk(const std::filesystem::path& serverDir, const std::string& queue);
// Where the backend keeps the pages printed on the disk `disk`: DISK/../../pages/<name>.
std::filesystem::path PagesDir(const std::filesystem::path& disk);
// The queue's disk made empty, as a printer's disk that holds no resource yet, and its
// pages folder removed.
std::filesystem::path EmptyQueueDisk(const std::filesystem::path& serverDir,
                                     const std::string& queue);
// Every job the backend kept for the disk `disk`, ordered by job id.
std::vector<PrintedJob> PrintedJobs(const std::filesystem::path& disk);

// The job envelope a download job puts around its payload: the PJL header, the
// PostScript header line, the payload, "%%EOF" and the PJL trailer.
std::string WrapInJobEnvelope(std::string_view payload);

// The envelopes of a job of several documents, each up to and including its trailer's
// "@PJL EOJ" line, in order.
std::vector<std::string> SplitAtTrailers(const std::string& job);

// A PostScript string literal holding `text` (parentheses and backslashes escaped).
std::string PostScriptString(std::string_view text);

}  // namespace vomar::testing
