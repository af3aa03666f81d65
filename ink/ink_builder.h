// Turns a CMYK simulation profile and an output profile into one ink-simulation file.
#pragma once

#include <optional>
#include <string>

#include "common/text_writer.h"
#include "postscript/build_environment.h"
#include "icc/profile_reader.h"
#include "icc/version4_tables.h"

namespace vomar {

class InkSimulationBuilder {
 public:
  explicit InkSimulationBuilder(BuildEnvironment environment);

  // The <n> of Custom<n>_Ink, set before the build.
  int profileNumber = 1;

  // kBuilt when every step succeeded and the file was closed; `resultPath` then holds its
  // full path. kFailed after a failure that has been reported; nothing is to be sent then.
  BuildResult BuildInkSimulation(const std::string& simulationProfilePath,
                         const std::string& outputProfilePath, const std::string& stem,
                         std::string& resultPath);

  // The five steps of a build, in their order. Steps 1 to 4 read their profile afresh;
  // each returns kBuilt when its profile was read and its work done, and kFailed after a
  // failure it has reported. Step 5 fails when the stamp clock had no time; the clock's
  // owner reports that.
  BuildResult WriteInkHeader(TextWriter& out, const std::string& simulationProfilePath,
                     const std::string& stem);
  BuildResult WriteSimulationTable(TextWriter& out, const std::string& simulationProfilePath);
  BuildResult WriteRenderingHeader(TextWriter& out, const std::string& outputProfilePath);
  BuildResult WriteRenderingTable(TextWriter& out, const std::string& outputProfilePath);
  BuildResult WriteInkTrailer(TextWriter& out, const std::string& simulationProfilePath,
                      const std::string& outputProfilePath);

 private:
  // The blocks a file must hold to be worth sending.
  struct Written {
    bool header = false;            // downloader, dictionary head, decoding procedures
    bool simulationTable = false;   // /Table
    bool renderingHeader = false;   // end of Custom<n>_Ink, ColorRendering keys
    bool renderTable = false;       // /RenderTable
    bool Complete() const { return header && simulationTable && renderingHeader && renderTable; }
  };

  // The reading part of steps 1 to 4: true when the profile was read into list_, with the
  // bytes of the `load` tags only.
  bool ReadProfile(const std::string& path, bool demandPrinterClass, ProfileHeader& header,
                  TagSelection load);
  // Shows an owner-less box and remembers that the user has been told.
  void ShowOwnerless(MessageId id);
  // Refuse profile paths, a stem or a file path over the limits, before anything is
  // written, with the error box; false after it.
  bool ProfilePathsFit(const std::string& simulationProfilePath,
                       const std::string& outputProfilePath);
  bool OutputNameFits(const std::string& stem, const std::string& path);
  bool Refuse(MessageId id);

  // The black point the simulation profile gives a connection (as LittleCMS detects it
  // for the table the file holds), for an output profile of version 4.
  std::optional<XyzColour> SimulationBlackPoint();

  BuildEnvironment environment_;
  TagTableList list_;
  // The simulation profile's header and the table its /Table was made from, kept from
  // step 2 for the black point of step 4.
  ProfileHeader simulationHeader_;
  std::optional<TagEntry> simulationTable_;
  Written written_;
  bool messageShown_ = false;
  bool stampFailed_ = false;  // the file has no /LATEST line: it is removed
};

}  // namespace vomar
