// The control chart's PostScript program: the chart procedures (chart_procedures.ps,
// compiled in), then the sheet's data and the call that draws it.
#pragma once

#include <string>
#include <string_view>

#include "proof/chart_reference.h"

namespace vomar::proof {

// Document name of the chart job.
inline constexpr const char* kChartDocument = "COLOR_CHART_FILE";

// The procedures' bytes, exactly as the source file holds them.
std::string_view ChartProcedures();

// The whole program for the chart of `reference`. Texts and patch IDs are written as
// hexadecimal strings of code page 932, which the printer's Japanese fonts read.
std::string ChartProgram(const ChartReference& reference);

}  // namespace vomar::proof
