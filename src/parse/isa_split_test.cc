#include "parse/isa_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ardentix::parse {
namespace {

// An interchange with ISA15 `usage` and one segment of data; sender ids of
// different lengths make the header not fixed-width.
std::string Interchange(char usage, std::string_view data, std::string_view sender = "SENDER") {
  std::string isa = "ISA*00*          *00*          *ZZ*" + std::string(sender) +
                    "*ZZ*RECEIVER       *230101*1200*^*00501*000000001*0*";
  isa.push_back(usage);
  isa.append("*:~");
  return isa + "GS*HC*S*R*20230101*1200*1*X*005010X222A1~" + std::string(data) + "~GE*1*1~IEA*1*1~";
}

std::vector<std::string> Cut(const std::string& bytes) {
  std::vector<std::string> out;
  for (const Piece& p : ProductionPieces(bytes))
    out.push_back(bytes.substr(p.begin, p.end - p.begin));
  return out;
}

TEST(IsaSplit, OnlyProductionHeadersThatStartASegmentCut) {
  const std::string a = Interchange('P', "NM1*IL*1*ISA*ANN");  // "ISA" as a name
  const std::string b = Interchange('T', "REF*EA*ISA*00");     // a test interchange
  const std::string c = Interchange('P', "NM1*85*2*ISA GROUP", "LONGER-SENDER-ID");
  const std::string d = Interchange('p', "LX*1");  // after a line break, lower case
  // Line breaks in front of a header stay with the piece before it.
  EXPECT_EQ(Cut(a + b + c + "\r\n" + d), (std::vector<std::string>{a + b, c + "\r\n", d}));
  EXPECT_EQ(Cut(b + a), (std::vector<std::string>{b, a}));  // the first header never cuts
  // Text in front of the first header is not part of any piece.
  EXPECT_EQ(Cut("\xEF\xBB\xBF" + a), (std::vector<std::string>{a}));
  EXPECT_TRUE(Cut("not an interchange").empty());
}

TEST(IsaSplit, UsageIndicatorIsCountedBySeparators) {
  const std::string short_ids = Interchange('T', "LX*1", "S");
  EXPECT_EQ(UsageIndicator(short_ids, 0, '*'), 'T');
  EXPECT_EQ(UsageIndicator("ISA*00*01", 0, '*'), 0);  // cut short
}

}  // namespace
}  // namespace ardentix::parse
