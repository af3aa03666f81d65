#include "common/text_writer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <random>

#include "common/cp932.h"
#include "common/path_limit.h"

namespace vomar {
namespace {

// Restores the process locale when a test changed it.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

TEST(TextWriterTest, FixedNumbersMatchGlibcPrintfInTheCLocale) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> any(-2.0, 2.0);
  // Halfway cases (exact binary fractions) and a spread of ordinary values.
  std::vector<double> values = {0.0078125, 0.5, 0.0000005, 1.0 / 3, 0.964203, 0.8249,
                                -0.0000004999, 2.5e-7, 65535.0 / 131072, -7.62939453125e-06};
  for (int i = 0; i < 2000; ++i) values.push_back(any(random));
  TextWriter writer;
  std::string expected;
  char buffer[64];
  for (double value : values) {
    writer.Format("%f %d|", value, static_cast<int>(value * 1000));
    std::snprintf(buffer, sizeof buffer, "%f %d|", value, static_cast<int>(value * 1000));
    expected += buffer;
  }
  EXPECT_EQ(writer.Text(), expected);
}

TEST(TextWriterTest, DecimalPointStaysAPointUnderAGermanLocale) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.active()) GTEST_SKIP() << "de_DE.UTF-8 is not generated (tools/setup makes it)";
  char check[32];
  std::snprintf(check, sizeof check, "%f", 0.5);
  ASSERT_STREQ(check, "0,500000");  // the locale really is active
  TextWriter writer;
  writer.Format("/WhitePoint [%f %f %f]\n", 0.964203, 1.0, 0.824905);
  EXPECT_EQ(writer.Text(), "/WhitePoint [0.964203 1.000000 0.824905]\n");
  EXPECT_EQ(FormatC("%.1f", 2.25), "2.2");
}

TEST(TextWriterTest, HexBytesAreUpperCasePairsWithoutSeparators) {
  TextWriter writer;
  const std::uint8_t bytes[] = {0x00, 0x0A, 0xAB, 0xFF, 0x7F};
  writer.PutHexBytes(bytes, sizeof bytes);
  writer.PutHexByte(0xC3);
  EXPECT_EQ(writer.Text(), "000AABFF7FC3");
}

TEST(TextWriterTest, LongTextReachesTheFileWhole) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::vector<std::uint8_t> bytes(300000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31);
  {
    TextWriter writer(file);
    writer.Put("<");
    writer.PutHexBytes(bytes.data(), bytes.size());
    writer.Format(">%s\n", "def");
    ASSERT_TRUE(writer.Flush());
  }
  std::rewind(file);
  std::string text(2 * bytes.size() + 6, '\0');
  ASSERT_EQ(std::fread(text.data(), 1, text.size() + 1, file), text.size());
  std::fclose(file);
  EXPECT_EQ(text.substr(0, 7), "<001F3E");
  EXPECT_EQ(text.substr(text.size() - 5), ">def\n");
}

TEST(Cp932Test, ConvertsJapaneseAndKeepsAsciiAndInvalidBytes) {
  EXPECT_EQ(Utf8ToCp932("Office C1 (a)\\b.icc"), "Office C1 (a)\\b.icc");
  EXPECT_EQ(Utf8ToCp932("ﾌﾟﾘﾝﾀ"), "\xCC\xDF\xD8\xDD\xC0");          // half-width katakana
  EXPECT_EQ(Utf8ToCp932("出力.icc"), "\x8F\x6F\x97\xCD.icc");         // kanji
  EXPECT_EQ(Utf8ToCp932("a\xFF" "b"), "a\xFF" "b");                    // not UTF-8: unchanged
  EXPECT_EQ(Utf8ToCp932("\xC3\xA9t\xC3\xA9"), "?t?");                  // é is not in CP932
  EXPECT_EQ(Utf8ToCp932("\xE3\x81"), "\xE3\x81");                      // truncated sequence
}

// The path limit is 255 bytes of code page 932 on either side of it, whatever the
// characters take in UTF-8.
TEST(PathLimitTest, CountsCodePage932BytesAtTheBoundary) {
  const auto times = [](std::string_view text, std::size_t count) {
    std::string repeated;
    while (count-- > 0) repeated += text;
    return repeated;
  };
  const std::pair<std::string, std::size_t> cases[] = {
      {"/" + std::string(254, 'p'), 255}, {"/" + std::string(255, 'p'), 256},
      {"/" + times("漢", 127), 255},  // 382 bytes of UTF-8
      {"/" + times("漢", 127) + "x", 256}, {"/" + times("漢", 128), 257},
      {"/" + std::string(252, 'p') + "漢", 255}, {"/" + std::string(253, 'p') + "漢", 256},
      {times("ｶ", 255), 255}, {times("ｶ", 256), 256},  // half-width katakana: 3 bytes of UTF-8
      {times("é", 255), 255},                         // not in code page 932: one "?" each
      {times("\xFF", 256), 256},                      // not UTF-8: passed on unchanged
  };
  for (const auto& [path, bytes] : cases) {
    EXPECT_EQ(Cp932Length(path), bytes) << path;
    EXPECT_EQ(PathFits(path), bytes <= 255) << path;
  }
}

}  // namespace
}  // namespace vomar
