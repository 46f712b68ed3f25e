#include "common/tag.h"

#include <gtest/gtest.h>

namespace ardentix {
namespace {

TEST(ReadTag, Cases) {
  struct Case {
    const char* text;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"<DATADIR>/data</DATADIR><DATE>12/11/26</DATE>", "DATADIR", "/data"},
      {"<datadir>/data</DataDir>", "DataDir", "/data"},  // key and tags in any case
      {"<A>1</A><B>2</B><A>3</A>", "a", "13"},           // repeated key: joined
      {"<A>1</A>", "B", ""},                             // missing key
      {"<A>open to the end", "A", "open to the end"},    // no closing tag
      {"", "A", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadTag(c.text, c.key), c.expected) << c.text;
}

TEST(MakeTag, UpperCasesTheKeyAndRoundTrips) {
  EXPECT_EQ(MakeTag("/home/x", "datadir"), "<DATADIR>/home/x</DATADIR>");
  EXPECT_EQ(ReadTag(MakeTag("v", "k") + MakeTag("w", "j"), "j"), "w");
}

}  // namespace
}  // namespace ardentix
