// The toolkit edge: bytes cross as Latin-1 and come back unchanged; edit
// fields keep the CR LF line ends of their model text.
#include <gtest/gtest.h>

#include <string>

#include "ui/wx/internal.h"

namespace ardentix::ui::desktop {
namespace {

TEST(Convert, EveryByteCrossesAsOneCharacterAndComesBack) {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  const wxString text = FromLatin1(bytes);
  ASSERT_EQ(text.length(), 256u);
  EXPECT_EQ(static_cast<int>(text[0xE9].GetValue()), 0xE9);  // e acute
  EXPECT_EQ(ToLatin1(text), bytes);
}

TEST(Convert, CharactersBeyondLatin1BecomeQuestionMarks) {
  const wxString typed = wxString::FromUTF8("caf\xC3\xA9 \xE2\x82\xAC 5");  // "café € 5"
  EXPECT_EQ(ToLatin1(typed), std::string("caf\xE9 ? 5"));
}

TEST(Convert, EditFieldsShowLinesAndGiveBackTheirLineEnds) {
  struct Case {
    const char* model;
    const char* shown;
    bool crlf;
    const char* back;
  };
  const Case cases[] = {
      {"[X12VIEWER]\r\nKEY=1\r\n", "[X12VIEWER]\nKEY=1\n", true, "[X12VIEWER]\r\nKEY=1\r\n"},
      {"a\nb", "a\nb", false, "a\nb"},
      {"a\rb\r\n", "a\nb\n", true, "a\r\nb\r\n"},
      {"", "", false, ""},
  };
  for (const auto& c : cases) {
    const wxString shown = ToEditLines(c.model);
    EXPECT_EQ(ToLatin1(shown), c.shown) << c.model;
    EXPECT_EQ(FromEditLines(shown, c.crlf), c.back) << c.model;
  }
  // Latin-1 bytes in an edited line survive the trip.
  EXPECT_EQ(FromEditLines(ToEditLines("Stra\xDF"
                                      "e\r\n"),
                          true),
            "Stra\xDF"
            "e\r\n");
}

TEST(Convert, MasksMatchEitherLetterCaseAndFacesMapToLiberation) {
  EXPECT_EQ(ToLatin1(AnyCaseMask("*.xml")), "*.[xX][mM][lL]");
  EXPECT_EQ(ToLatin1(AnyCaseMask("qv*.?")), "[qQ][vV]*.?");
  EXPECT_EQ(PlatformFace("Courier New"), "Liberation Mono");
  EXPECT_EQ(PlatformFace("Arial"), "Liberation Sans");
  EXPECT_EQ(PlatformFace("Times New Roman"), "Liberation Serif");
  EXPECT_EQ(PlatformFace("DejaVu Sans"), "DejaVu Sans");
}

}  // namespace
}  // namespace ardentix::ui::desktop
