#include "cli/commands.h"

namespace vomar::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"inspect", "inspect PROFILE...", {{"PROFILE..."}}, {}, RunInspectCommand},
      {"printers", "printers [--all]", {{"[--all]"}}, {{"--all", false}}, RunPrintersCommand},
      {"crd",
       "crd (--output-dir DIR --stem STEM | --printer NAME... [--yes]) --number N PROFILE",
       {{"--output-dir DIR --stem STEM --number N PROFILE",
         "  builds STEM_PhotoColorRendering, STEM_ColorimetricColorRendering and\n"
         "  STEM_BusinessColorRendering into DIR for profile number N (1 or 2)\n"},
        {"--printer NAME [--printer NAME...] [--yes] --number N PROFILE",
         "  downloads them to each printer's disk as Custom<N>_...ColorRendering\n"}},
       {{"--output-dir", true},
        {"--stem", true},
        {"--number", true},
        {"--printer", true},
        {"--yes", false}},
       RunCrdCommand},
      {"ink",
       "ink (--output-dir DIR --stem STEM | --printer NAME [--yes]) --number N SIMULATION "
       "OUTPUT",
       {{"--output-dir DIR --stem STEM --number N SIMULATION OUTPUT",
         "  builds STEM_INKSimulation into DIR for profile number N (1, 2 or 3)\n"},
        {"--printer NAME [--printer NAME...] [--yes] --number N SIMULATION OUTPUT",
         "  downloads it to each printer's disk as %disk0%/Ink/Custom<N>_Ink\n"}},
       {{"--output-dir", true},
        {"--stem", true},
        {"--number", true},
        {"--printer", true},
        {"--yes", false}},
       RunInkCommand},
  };
  return commands;
}

}  // namespace vomar::cli
