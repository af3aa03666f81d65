// Buffered writer of PostScript text. Every number is formatted as in the "C" locale,
// whatever locale the process runs under, and bytes go out exactly as given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vomar {

class TextWriter {
 public:
  // Writes into `file` (not owned, not closed). With nullptr the text stays in memory.
  explicit TextWriter(std::FILE* file = nullptr);
  ~TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  void Put(std::string_view text);
  // printf-style formatting in the "C" locale; the bytes equal glibc's printf output.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // One byte as two upper-case hexadecimal digits ("%02X").
  void PutHexByte(std::uint8_t byte);
  void PutHexBytes(const std::uint8_t* bytes, std::size_t count);

  // Hands the buffered text to the file; false when the file reported an error.
  bool Flush();
  // Flushes, then lets go of the file, which the caller is about to close: a writer
  // must never touch a closed stream (also not when it goes away). Later text stays in
  // memory.
  void DetachFile();
  // The errno value of the first failed write, 0 when none failed.
  int Error() const { return error_; }
  // The text written so far when writing to memory.
  const std::string& Text() const { return buffer_; }

 private:
  void MaybeFlush();
  void Failed();

  std::FILE* file_;
  std::string buffer_;
  bool failed_ = false;
  int error_ = 0;
};

// `count` bytes as 2 * `count` upper-case hexadecimal digits ("%02X" each) at `out`.
void PutHexDigits(const std::uint8_t* bytes, std::size_t count, char* out);

// Formats like snprintf in the "C" locale, for short texts outside a writer.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vomar
