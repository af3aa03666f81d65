#include "common/text_writer.h"

#include <clocale>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <locale.h>

namespace vomar {

namespace {

constexpr std::size_t kFlushThreshold = 1 << 16;

// The "C" locale, made once and never changed.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

// Appends the formatted text to `out` with the "C" locale active on this thread only.
void AppendFormatted(std::string& out, const char* format, va_list args) {
  locale_t previous = uselocale(CLocale());
  char stack[256];
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(stack, sizeof stack, format, copy);
  va_end(copy);
  if (length >= 0 && static_cast<std::size_t>(length) < sizeof stack) {
    out.append(stack, static_cast<std::size_t>(length));
  } else if (length >= 0) {
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(length) + 1);
    std::vsnprintf(out.data() + start, static_cast<std::size_t>(length) + 1, format, args);
    out.resize(start + static_cast<std::size_t>(length));
  }
  uselocale(previous);
}

struct HexTable {
  char digits[256][2];
  constexpr HexTable() : digits() {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (int i = 0; i < 256; ++i) {
      digits[i][0] = kHex[i >> 4];
      digits[i][1] = kHex[i & 15];
    }
  }
};
constexpr HexTable kHexTable;

}  // namespace

void PutHexDigits(const std::uint8_t* bytes, std::size_t count, char* out) {
  // Two digits at a time: one two-byte copy per byte, which the compiler turns into a
  // single load and store.
  for (std::size_t i = 0; i < count; ++i) std::memcpy(out + 2 * i, kHexTable.digits[bytes[i]], 2);
}

TextWriter::TextWriter(std::FILE* file) : file_(file) {
  if (file_ != nullptr) buffer_.reserve(kFlushThreshold * 2);
}

TextWriter::~TextWriter() { Flush(); }

void TextWriter::Put(std::string_view text) {
  buffer_.append(text);
  MaybeFlush();
}

void TextWriter::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  AppendFormatted(buffer_, format, args);
  va_end(args);
  MaybeFlush();
}

void TextWriter::PutHexByte(std::uint8_t byte) {
  buffer_.append(kHexTable.digits[byte], 2);
  MaybeFlush();
}

void TextWriter::PutHexBytes(const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    const std::size_t chunk = count < kFlushThreshold ? count : kFlushThreshold;
    const std::size_t start = buffer_.size();
    buffer_.resize(start + 2 * chunk);
    PutHexDigits(bytes, chunk, buffer_.data() + start);
    bytes += chunk;
    count -= chunk;
    MaybeFlush();
  }
}

void TextWriter::DetachFile() {
  Flush();
  file_ = nullptr;
}

bool TextWriter::Flush() {
  if (file_ == nullptr) return true;
  if (!buffer_.empty()) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) Failed();
    buffer_.clear();
  }
  if (std::fflush(file_) != 0) Failed();
  return !failed_;
}

void TextWriter::Failed() {
  if (!failed_) error_ = errno;
  failed_ = true;
}

void TextWriter::MaybeFlush() {
  if (file_ != nullptr && buffer_.size() >= kFlushThreshold) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) Failed();
    buffer_.clear();
  }
}

std::string FormatC(const char* format, ...) {
  std::string out;
  va_list args;
  va_start(args, format);
  AppendFormatted(out, format, args);
  va_end(args);
  return out;
}

}  // namespace vomar
