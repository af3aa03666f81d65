#include "postscript/downloader.h"

namespace vomar {

void WriteDownloader(TextWriter& out) {
  out.Put("/DL{\n\t");
  out.Put("/fn exch def\n\t");
  out.Put("fn dup status{4{pop} repeat deletefile} {pop} ifelse\n\t");
  out.Put("/In currentfile def\n\t");
  out.Put("/Out fn (w) file def\n\t");
  out.Put("/STR 65535 string def\n\t");
  out.Put("{ \n\t\t");
  out.Put("In STR readstring Out 3  -1 roll\n\t\t");
  out.Put("writestring Out flushfile not\n\t\t");
  out.Put("{Out closefile exit} if\n\t");
  out.Put("}loop\n");
  out.Put("}bind def\n");
}

void WriteEndOfFileComment(TextWriter& out) {
  out.Put("%\n");
  out.Put("% End of file\n");
  out.Put("%\n");
}

}  // namespace vomar
