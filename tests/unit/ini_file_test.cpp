#include "config/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

using testing::ScratchDirectory;

struct IniCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  std::string expected;
};

TEST(IniFileTest, ReadsValuesByTheProfileReaderRules) {
  const std::string longValue(1500, 'x');
  const IniCase cases[] = {
      {"plain value", "[Support]\nNo=2\n", "Support", "No", "2"},
      {"section name in other case", "[SUPPORT]\nNo=2\n", "support", "No", "2"},
      {"key name in other case", "[Support]\ndriver1=A\n", "Support", "DRIVER1", "A"},
      {"blanks around key and value", "[Support]\n  No \t=  7  \n", "Support", "No", "7"},
      {"blanks inside the brackets", "[ Support ]\nNo=1\n", "Support", "No", "1"},
      {"double quotes removed", "[Support]\nOutIcm1=\"  Model A \"\n", "Support", "OutIcm1",
       "  Model A "},
      {"single quotes removed", "[Support]\nOutIcm1='Model'\n", "Support", "OutIcm1",
       "Model"},
      {"only one pair of quotes", "[Support]\nOutIcm1=\"\"M\"\"\n", "Support", "OutIcm1",
       "\"M\""},
      {"unmatched quotes kept", "[Support]\nOutIcm1=\"Model'\n", "Support", "OutIcm1",
       "\"Model'"},
      {"a lone quote kept", "[Support]\nOutIcm1=\"\n", "Support", "OutIcm1", "\""},
      {"empty value is not the default", "[Support]\nNo=\n", "Support", "No", ""},
      {"empty quotes give an empty value", "[Support]\nNo=\"\"\n", "Support", "No", ""},
      {"equals sign inside the value", "[Support]\nDriver1=a=b\n", "Support", "Driver1",
       "a=b"},
      {"comment line skipped", "[Support]\n;No=1\nNo=2\n", "Support", "No", "2"},
      {"indented comment line skipped", "[Support]\n  ; No=1\n", "Support", "No", "NG"},
      {"first occurrence wins", "[Support]\nNo=1\nno=2\n", "Support", "No", "1"},
      {"first occurrence over repeated sections", "[Support]\nNo=1\n[Support]\nNo=2\n",
       "Support", "No", "1"},
      {"key of a later repeated section", "[Support]\nA=1\n[Other]\nNo=5\n[support]\nNo=2\n",
       "Support", "No", "2"},
      {"key of another section is not seen", "[Other]\nNo=1\n[Support]\n", "Support", "No",
       "NG"},
      {"keys before any section are not seen", "No=1\n[Support]\n", "Support", "No", "NG"},
      {"missing key gives the default", "[Support]\nNo=1\n", "Support", "Driver1", "NG"},
      {"missing section gives the default", "[Other]\nNo=1\n", "Support", "No", "NG"},
      {"line without equals sign ignored", "[Support]\nNo\nNo=3\n", "Support", "No", "3"},
      {"CR LF line ends", "[Support]\r\nNo=4\r\nDriver1=A B\r\n", "Support", "Driver1", "A B"},
      {"byte-order mark before the first section", "\xEF\xBB\xBF[Support]\nNo=1\n", "Support",
       "No", "1"},
      {"last line without line end", "[Support]\nNo=9", "Support", "No", "9"},
      {"UTF-8 value kept byte for byte", "[Support]\nOutIcm1=ｶﾗｰ A3\n", "Support", "OutIcm1",
       "ｶﾗｰ A3"},
      {"value cut to 1,023 bytes", "[Support]\nOutIcm1=" + longValue + "\n", "Support",
       "OutIcm1", std::string(1023, 'x')},
  };
  ScratchDirectory dir;
  for (const IniCase& c : cases) {
    const std::string path = dir.Write("case.ini", c.file);
    EXPECT_EQ(ReadProfileString(path, c.section, c.key, "NG"), c.expected) << c.name;
  }
}

TEST(IniFileTest, MissingFileGivesTheDefaultCutToTheLimit) {
  ScratchDirectory dir;
  EXPECT_EQ(ReadProfileString(dir.File("absent.ini"), "Support", "No", "NG"), "NG");
  EXPECT_EQ(ReadProfileString(dir.path(), "Support", "No", "NG"), "NG");  // a directory
  EXPECT_EQ(ReadProfileString(dir.File("absent.ini"), "Support", "No", std::string(2000, 'd')),
            std::string(1023, 'd'));
}

TEST(IniFileTest, ReadsTheFileAfreshAtEveryQuery) {
  ScratchDirectory dir;
  const std::string path = dir.Write("KZProFDw.INI", "[Support]\nNo=1\n");
  EXPECT_EQ(ReadProfileString(path, "Support", "No", "NG"), "1");
  dir.Write("KZProFDw.INI", "[Support]\nNo=2\n");
  EXPECT_EQ(ReadProfileString(path, "Support", "No", "NG"), "2");
}

}  // namespace
}  // namespace vomar
