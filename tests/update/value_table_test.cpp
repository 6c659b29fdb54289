#include "update/value_table.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

std::u16string Nuls(std::u16string_view text) {  // '|' stands for NUL
  std::u16string out(text);
  for (auto& c : out)
    c = c == u'|' ? u'\0' : c;
  return out;
}

TEST(PackageList, OnlyAWholeElementCountsWhateverItsCase) {
  struct Case {
    std::u16string_view list;
    bool present;
  };
  for (const Case& c :
       {Case{u"kerberos|tspkg|", true}, Case{u"TSPKG|", true}, Case{u"kerberos|TsPkg", true},
        Case{u"tspkgx|", false}, Case{u"mytspkg|", false}, Case{u"kerberos|", false},
        Case{u"", false}, Case{u"tsp|kg|", false}}) {
    EXPECT_EQ(PackageListContains(Nuls(c.list), u"tspkg"), c.present) << Nuls(c.list).size();
  }
}

TEST(PackageList, NewElementGoesLastAndExistingElementsStayIntact) {
  struct Case {
    std::u16string_view read;  // as read: the list's final NUL already removed
    std::u16string_view written;
  };
  for (const Case& c : {
           Case{u"alpha|beta|", u"alpha|beta|tspkg|"},
           Case{u"kerberos", u"kerberos|tspkg|"},  // stored without any NUL
           Case{u"", u"tspkg|"},                   // empty
           Case{u"|", u"tspkg|"},                  // an empty list stored with two NULs
           Case{u"a|||", u"a|tspkg|"},             // surplus terminators
           Case{u"a||b|", u"a|b|tspkg|"},          // an empty element would end the list
           Case{u"\u00E9l\u00E9ment|", u"\u00E9l\u00E9ment|tspkg|"},
       }) {
    EXPECT_EQ(PackageListWith(Nuls(c.read), u"tspkg"), Nuls(c.written));
  }
}

TEST(ProviderList, OnlyAWholeEntryCountsBlanksAndCaseIgnored) {
  struct Case {
    std::u16string_view list;
    bool present;
  };
  for (const Case& c : {Case{u"credssp.dll", true}, Case{u"a.dll, CREDSSP.DLL", true},
                        Case{u"a.dll,credssp.dll ,b.dll", true}, Case{u" \tcredssp.dll\t", true},
                        Case{u"mycredssp.dll", false}, Case{u"credssp.dll.bak", false},
                        Case{u"credssp", false}, Case{u"", false}}) {
    EXPECT_EQ(ProviderListContains(c.list, u"credssp.dll"), c.present) << c.list.size();
  }
}

TEST(ProviderList, SeparatorOnlyAfterExistingNames) {
  EXPECT_EQ(ProviderListWith(u"x.dll", u"credssp.dll"), u"x.dll, credssp.dll");
  EXPECT_EQ(ProviderListWith(u"", u"credssp.dll"), u"credssp.dll");
  EXPECT_EQ(ProviderListWith(u"  ", u"credssp.dll"), u"credssp.dll");
}

TEST(LogText, NulsShowAsBlanks) {
  EXPECT_EQ(WithNulsAsBlanks(Nuls(u"a|b|")), u"a b ");
}

}  // namespace
}  // namespace tarnwick
