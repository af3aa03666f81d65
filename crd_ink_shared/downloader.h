// The downloader procedure DL that heads every generated file: at the printer it copies
// the rest of the job into the disk file whose name it is given.
#pragma once

#include "common/text_writer.h"

namespace vomar {

void WriteDownloader(TextWriter& out);

}  // namespace vomar
