// The frame of every generated file: the downloader procedure DL at its head, which at
// the printer copies the rest of the job into the disk file whose name it is given, and
// the comment at its end.
#pragma once

#include "common/text_writer.h"

namespace vomar {

void WriteDownloader(TextWriter& out);

// The comment lines that end every generated file.
void WriteEndOfFileComment(TextWriter& out);

}  // namespace vomar
