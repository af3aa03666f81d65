#include "cli/commands.h"

#include <string>

namespace vomar::cli {

namespace {

// crd and ink take the same options.
const std::vector<OptionSpec> kProfileCommandOptions = {
    {"--output-dir", true},   {"--stem", true}, {"--number", true},        {"--printer", true},
    {"--any-printer", false}, {"--yes", false}, {"--wait", false, true}, {"--verbose", false},
    {"--quiet", false},
};

constexpr const char* kCommonDownloadHelp =
    "  --printer NAME      download to this CUPS queue, one that KZProFDw.INI\n"
    "                      supports; repeat it for more printers\n"
    "  --any-printer       also take queues whose driver KZProFDw.INI does not list\n"
    "  --yes               answer the confirmation Yes instead of asking\n"
    "  --wait[=SECONDS]    follow each job to its end (120 s by default); exit 0\n"
    "                      only when every job completed\n";

}  // namespace

const std::vector<Command>& Commands() {
  // What the options of crd and ink do, for --help.
  static const std::string crdHelp = std::string(
      "  --output-dir DIR    build the three files into DIR and keep them; no printer\n"
      "  --stem STEM         the built files' names begin with STEM (no \"/\")\n"
      "  --number N          the profile number, ") +
      ProfileNumberChoices(DownloadMode::kIccProfile) + "\n" + kCommonDownloadHelp +
      "  --verbose           also write the diagnostic lines: progress and the table\n"
      "                      dump on standard output, every reading failure on\n"
      "                      standard error (without it, only those of a failed build)\n"
      "  --quiet             leave them out (the default)\n";

  static const std::string inkHelp = std::string(
      "  --output-dir DIR    build the file into DIR and keep it; no printer\n"
      "  --stem STEM         the built file's name begins with STEM (no \"/\")\n"
      "  --number N          the profile number, ") +
      ProfileNumberChoices(DownloadMode::kInkSimulation) + "\n" + kCommonDownloadHelp +
      "  --verbose           also write the diagnostic lines: progress on standard\n"
      "                      output, every reading failure on standard error\n"
      "                      (without it, only those of a failed build)\n"
      "  --quiet             leave them out (the default)\n";

  static const std::string crdOutputDirHelp =
      "  builds STEM_PhotoColorRendering, STEM_ColorimetricColorRendering and\n"
      "  STEM_BusinessColorRendering into DIR for profile number N (" +
      ProfileNumberChoices(DownloadMode::kIccProfile) + ")\n";
  static const std::string inkOutputDirHelp =
      "  builds STEM_INKSimulation into DIR for profile number N (" +
      ProfileNumberChoices(DownloadMode::kInkSimulation) + ")\n";

  static const std::vector<Command> commands = {
      {"inspect", "inspect PROFILE...", {{"PROFILE..."}}, {}, RunInspectCommand},
      {"printers", "printers [--all] [--verbose]", {{"[--all] [--verbose]"}},
       {{"--all", false}, {"--verbose", false}}, RunPrintersCommand,
       "  --all               every queue the spooler reports, with its device and\n"
       "                      make and model; * marks the default printer\n"
       "  --verbose           also write a line on each printer left out, with its\n"
       "                      driver\n"},
      {"crd",
       "crd (--output-dir DIR --stem STEM | --printer NAME... [--any-printer] [--yes] "
       "[--wait[=SECONDS]]) [--verbose] --number N PROFILE",
       {{"--output-dir DIR --stem STEM [--verbose] --number N PROFILE",
         crdOutputDirHelp.c_str()},
        {"--printer NAME [--printer NAME...] [--any-printer] [--yes] [--wait[=SECONDS]] "
         "[--verbose] --number N PROFILE",
         "  checks the profile, then downloads them to each printer's disk as\n"
         "  Custom<N>_...ColorRendering; --any-printer also takes printers that\n"
         "  KZProFDw.INI does not list. In either form --verbose adds the progress\n"
         "  lines and the table dump on standard output\n"}},
       kProfileCommandOptions,
       RunCrdCommand,
       crdHelp.c_str()},
      {"ink",
       "ink (--output-dir DIR --stem STEM | --printer NAME [--any-printer] [--yes] "
       "[--wait[=SECONDS]]) [--verbose] --number N SIMULATION OUTPUT",
       {{"--output-dir DIR --stem STEM [--verbose] --number N SIMULATION OUTPUT",
         inkOutputDirHelp.c_str()},
        {"--printer NAME [--printer NAME...] [--any-printer] [--yes] [--wait[=SECONDS]] "
         "[--verbose] --number N SIMULATION OUTPUT",
         "  checks the two profiles, then downloads it to each printer's disk as\n"
         "  %disk0%/Ink/Custom<N>_Ink; --any-printer also takes printers that\n"
         "  KZProFDw.INI does not list. In either form --verbose adds the progress\n"
         "  lines on standard output\n"}},
       kProfileCommandOptions,
       RunInkCommand,
       inkHelp.c_str()},
      {"check",
       "check [--mode icc|ink] [--simulation FILE] [--output FILE] [--printer NAME] "
       "[--verbose]",
       {{"[--mode icc|ink] [--simulation FILE] [--output FILE] [--printer NAME] [--verbose]",
         "  checks the profiles as the path boxes do when they lose the focus (mode icc\n"
         "  by default; the model check only with --printer), and in ink mode the pair;\n"
         "  prints 'simulation: ...', 'output: ...' and 'pair: ...' lines; --verbose\n"
         "  adds the diagnostic lines\n"}},
       {{"--mode", true},
        {"--simulation", true},
        {"--output", true},
        {"--printer", true},
        {"--verbose", false},
        {"--quiet", false}},
       RunCheckCommand,
       "  --mode icc|ink      the dialog's mode (icc by default)\n"
       "  --simulation FILE   the simulation profile's box\n"
       "  --output FILE       the output profile's box\n"
       "  --printer NAME      the printer the output profile's model must suit (no\n"
       "                      model check without it)\n"
       "  --verbose           also write the diagnostic lines: progress on standard\n"
       "                      output, every reading failure on standard error\n"
       "                      (without it, only those of a profile not read)\n"
       "  --quiet             leave them out (the default)\n"},
      {"info-page",
       "info-page --printer NAME [--yes] [--wait[=SECONDS]]",
       {{"--printer NAME [--yes] [--wait[=SECONDS]]",
         "  asks the printer to print one page that lists the custom ColorRendering\n"
         "  resources and ink simulations on its disk\n"}},
       {{"--printer", true}, {"--yes", false}, {"--wait", false, true}},
       RunInfoPageCommand,
       "  --printer NAME      the CUPS queue, one that KZProFDw.INI supports\n"
       "  --yes               answer the confirmation Yes instead of asking\n"
       "  --wait[=SECONDS]    follow the job to its end (120 s by default); exit 0\n"
       "                      only when it completed\n"},
      {"chart",
       "chart [--ink] --printer NAME --number N (--profile FILE | --simulation FILE "
       "--output-profile FILE) --reference FILE [options]",
       {{"--printer NAME --number N --profile PRINTER.icc --reference OUT.cgats "
         "[--intent photo|colorimetric|business] [--method native|computed] [--patches FILE] "
         "[--ti2 FILE] [--yes] [--wait[=SECONDS]]",
         "  prints a control chart through the stored Custom<N>_<Intent>ColorRendering: its\n"
         "  patches are L*a*b* colours; writes the reference of what they should measure\n"},
        {"--ink --printer NAME --number N --simulation SIM.icc --output-profile OUT.icc "
         "--reference OUT.cgats [--method native|computed] [--patches FILE] [--ti2 FILE] "
         "[--yes] [--wait[=SECONDS]]",
         "  prints a control chart through the stored ink simulation Custom<N>_Ink: its\n"
         "  patches are CMYK values of the simulated press\n"}},
       {{"--ink", false},
        {"--printer", true},
        {"--number", true},
        {"--profile", true},
        {"--intent", true},
        {"--simulation", true},
        {"--output-profile", true},
        {"--reference", true},
        {"--method", true},
        {"--patches", true},
        {"--ti2", true},
        {"--yes", false},
        {"--wait", false, true}},
       RunChartCommand,
       "  --ink               print through an ink simulation (default: a ColorRendering)\n"
       "  --printer NAME      the CUPS queue, one that KZProFDw.INI supports\n"
       "  --number N          the stored resource's number: 1 or 2, with --ink 1 to 3\n"
       "  --profile FILE      the printer profile the ColorRendering was made from\n"
       "  --intent INTENT     photo (default), colorimetric or business\n"
       "  --simulation FILE   the simulation profile of the ink simulation\n"
       "  --output-profile FILE  the output profile of the ink simulation\n"
       "  --reference FILE    where the reference (CGATS) of expected and target values\n"
       "                      and of the patches' places goes\n"
       "  --method METHOD     native (default): the printer applies the stored resource;\n"
       "                      computed: the chart evaluates it and paints device CMYK\n"
       "  --patches FILE      the patches (CGATS: CMYK_C... with --ink, else LAB_L...)\n"
       "                      instead of the built-in control wedge\n"
       "  --ti2 FILE          also describe the sheet for ArgyllCMS chartread (.ti2)\n"
       "  --yes               answer the question Yes instead of asking\n"
       "  --wait[=SECONDS]    follow the job to its end (120 s by default); exit 0\n"
       "                      only when it completed\n"},
      {"verify",
       "verify [--absolute] [--against expected|target] [--tolerances FILE] "
       "[--report FILE.png|.svg] REFERENCE MEASURED",
       {{"[--absolute] [--against expected|target] [--tolerances FILE] "
         "[--report FILE.png|.svg] REFERENCE MEASURED",
         "  judges the measurements of a printed chart (CGATS, ArgyllCMS .ti3) against its\n"
         "  reference by ΔE2000; exit status 0 within tolerance, 1 outside it, 2 for a\n"
         "  file that cannot be read\n"}},
       {{"--absolute", false},
        {"--against", true},
        {"--tolerances", true},
        {"--report", true}},
       RunVerifyCommand,
       "  --absolute          compare absolute values (default: media-relative, the\n"
       "                      measurements scaled by their paper white)\n"
       "  --against WHAT      expected (default): what the printer's profile prints through\n"
       "                      the stored resource; target: what the patch should look like\n"
       "  --tolerances FILE   \"KEY VALUE\" lines (paper-white, solids, grey-mean, grey-max,\n"
       "                      mean, p95, max) instead of ISO 12647-7's tolerances\n"
       "  --report FILE       a picture of each patch, reference beside measured (.png or\n"
       "                      .svg)\n"},
  };
  return commands;
}

}  // namespace vomar::cli
