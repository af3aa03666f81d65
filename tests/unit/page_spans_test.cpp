// Page text from txtwrite's list of text runs, as the Ghostscript printer's tests read it.
#include <gtest/gtest.h>

#include "tests/support/page_spans.h"

namespace vomar::testing {
namespace {

TEST(PageSpansTextTest, ListsRunsPerPageWithBaselineFontSizeAndDecodedText) {
  // Two pages as txtwrite (TextFormat 0) wrote them for a Courier line with every
  // character XML escapes, a Shift-JIS line at 13.5 points and a second page.
  const std::string xml =
      "<page>\n"
      "<span bbox=\"100 342 172 342\" font=\"Courier\" size=\"12.0000\">\n"
      "<char bbox=\"100 342 107 342\" c=\"a\"/>\n"
      "<char bbox=\"107 342 114 342\" c=\"&quot;\"/>\n"
      "<char bbox=\"122 342 129 342\" c=\"&lt;\"/>\n"
      "<char bbox=\"136 342 143 342\" c=\"&gt;\"/>\n"
      "<char bbox=\"143 342 150 342\" c=\"&amp;\"/>\n"
      "<char bbox=\"150 342 158 342\" c=\"&apos;\"/>\n"
      "<char bbox=\"158 342 165 342\" c=\"&#x2019;\"/>\n"
      "<char bbox=\"165 342 172 342\" c=\"&#32;\"/>\n"
      "</span>\n"
      "<span bbox=\"50 192 92 192\" font=\"GothicBBB-Medium-83pv-RKSJ-H\" size=\"13.5000\">\n"
      "<char bbox=\"50 192 64 192\" c=\"&#x834a;\"/>\n"
      "<char bbox=\"64 192 78 192\" c=\"&#x1F600;\"/>\n"
      "</span>\n"
      "</page>\n"
      "<page>\n"
      "<span bbox=\"101 441 108 441\" font=\"Courier\" size=\"12.0000\">\n"
      "<char bbox=\"101 441 108 441\" c=\"x\"/>\n"
      "</span>\n"
      "</page>\n";
  EXPECT_EQ(PageSpansText(xml),
            "page\n"
            "100 500 Courier 12 a\"<>&'\u2019 \n"
            "50 650 GothicBBB-Medium-83pv-RKSJ-H 13.5 \u834A\U0001F600\n"
            "page\n"
            "101 401 Courier 12 x\n");
}

TEST(PageSpansTextTest, NoPagesGiveNoText) {
  EXPECT_EQ(PageSpansText(""), "");
  EXPECT_EQ(PageSpansText("<page>\n</page>\n"), "page\n");
}

}  // namespace
}  // namespace vomar::testing
