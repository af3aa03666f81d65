#include "cli/commands.h"

namespace vomar::cli {

namespace {

// crd and ink take the same options.
const std::vector<OptionSpec> kProfileCommandOptions = {
    {"--output-dir", true},   {"--stem", true}, {"--number", true},        {"--printer", true},
    {"--any-printer", false}, {"--yes", false}, {"--wait", false, true}, {"--quiet", false},
};

}  // namespace

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"inspect", "inspect PROFILE...", {{"PROFILE..."}}, {}, RunInspectCommand},
      {"printers", "printers [--all]", {{"[--all]"}}, {{"--all", false}}, RunPrintersCommand},
      {"crd",
       "crd (--output-dir DIR --stem STEM | --printer NAME... [--any-printer] [--yes] "
       "[--wait[=SECONDS]]) [--quiet] --number N PROFILE",
       {{"--output-dir DIR --stem STEM [--quiet] --number N PROFILE",
         "  builds STEM_PhotoColorRendering, STEM_ColorimetricColorRendering and\n"
         "  STEM_BusinessColorRendering into DIR for profile number N (1 or 2)\n"},
        {"--printer NAME [--printer NAME...] [--any-printer] [--yes] [--wait[=SECONDS]] "
         "[--quiet] --number N PROFILE",
         "  checks the profile, then downloads them to each printer's disk as\n"
         "  Custom<N>_...ColorRendering; --any-printer also takes printers that\n"
         "  KZProFDw.INI does not list. In either form --quiet drops the progress\n"
         "  lines and the table dump from standard output\n"}},
       kProfileCommandOptions,
       RunCrdCommand},
      {"ink",
       "ink (--output-dir DIR --stem STEM | --printer NAME [--any-printer] [--yes] "
       "[--wait[=SECONDS]]) [--quiet] --number N SIMULATION OUTPUT",
       {{"--output-dir DIR --stem STEM [--quiet] --number N SIMULATION OUTPUT",
         "  builds STEM_INKSimulation into DIR for profile number N (1, 2 or 3)\n"},
        {"--printer NAME [--printer NAME...] [--any-printer] [--yes] [--wait[=SECONDS]] "
         "[--quiet] --number N SIMULATION OUTPUT",
         "  checks the two profiles, then downloads it to each printer's disk as\n"
         "  %disk0%/Ink/Custom<N>_Ink; --any-printer also takes printers that\n"
         "  KZProFDw.INI does not list. In either form --quiet drops the progress\n"
         "  lines from standard output\n"}},
       kProfileCommandOptions,
       RunInkCommand},
      {"check",
       "check [--mode icc|ink] [--simulation FILE] [--output FILE] [--printer NAME] [--quiet]",
       {{"[--mode icc|ink] [--simulation FILE] [--output FILE] [--printer NAME] [--quiet]",
         "  checks the profiles as the path boxes do when they lose the focus (mode icc\n"
         "  by default; the model check only with --printer), and in ink mode the pair;\n"
         "  prints 'simulation: ...', 'output: ...' and 'pair: ...' lines; --quiet\n"
         "  drops the other lines from standard output\n"}},
       {{"--mode", true},
        {"--simulation", true},
        {"--output", true},
        {"--printer", true},
        {"--quiet", false}},
       RunCheckCommand},
      {"info-page",
       "info-page --printer NAME [--yes] [--wait[=SECONDS]]",
       {{"--printer NAME [--yes] [--wait[=SECONDS]]",
         "  asks the printer to print one page that lists the custom ColorRendering\n"
         "  resources and ink simulations on its disk\n"}},
       {{"--printer", true}, {"--yes", false}, {"--wait", false, true}},
       RunInfoPageCommand},
  };
  return commands;
}

}  // namespace vomar::cli
