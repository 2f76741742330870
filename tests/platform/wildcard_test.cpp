// File-name wildcards and listing order, shared by the POSIX and the Win32 file queries.
#include "platform/wildcard.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace brintova {
namespace {

TEST(MatchesWildcard, FollowsTheDesktopFileNameRules) {
  struct Case {
    std::u16string pattern, name;
    bool matches;
  };
  const Case cases[] = {
      {u"*.xls", u"Book.xls", true},
      {u"*.xls", u"Book.xlsx", false},
      {u"*.XLS", u"book.xls", true},
      {u"*.xl*", u"Template.xltx", true},
      {u"*.*", u"no extension", true},
      {u"", u"anything", true},
      {u"*", u"", true},
      {u"?.xls", u"a.xls", true},
      {u"?.xls", u"ab.xls", false},
      {u"a*b*c", u"aXXbYYc", true},
      {u"a*b*c", u"aXXbYY", false},
      {u"*.txt", u"Report~1.txt", true},
      {u"*.\u00c4ML", u"x.\u00e4ml", true},                       // Latin-1 case
      {u"\u0414*", u"\u0434\u043e\u043c", true},                  // Cyrillic case
      {u"*a*a*a*a*a*a*a*a*b", std::u16string(200, u'a'), false},  // no blow-up
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches)
        << ToUtf8(c.pattern) << " vs " << ToUtf8(c.name);
  }
}

}  // namespace
}  // namespace brintova
