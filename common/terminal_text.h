// Texts that come from files and other programs (a profile's texts, a PPD's make and
// model, the spooler's names and messages) are shown on a terminal as text only: a
// control character there could move the cursor, change the window's title or make a
// line look like another.
#pragma once

#include <string>
#include <string_view>

namespace vomar {

// `text` with every control character shown as an escape: each byte of a C0 control
// (0x00 to 0x1F, line breaks and tabs included) and of DEL (0x7F) as "\xHH", each byte
// of a C1 control (U+0080 to U+009F in UTF-8, or a byte 0x80 to 0x9F outside a UTF-8
// sequence) likewise. Everything else, UTF-8 and other bytes alike, is kept.
std::string TerminalText(std::string_view text);

}  // namespace vomar
