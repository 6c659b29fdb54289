#include "version/rdp_version.h"

#include <gtest/gtest.h>

#include "fake_system_info.h"
#include "fake_version_info.h"
#include "fake_version_labels.h"
#include "memory_registry.h"
#include "version/rdp_version.h"

namespace tarnwick::testing {
namespace {

constexpr std::u16string_view kRow1 =
    u"RDP Version 7.0 - No need to install update. Proceed to step #3.";
constexpr std::u16string_view kRow2 =
    u"RDP Version 7.1 or higher - No need to install update. Proceed to step #3.";
constexpr std::u16string_view kRow3 = u"RDP Version 6.1 - Please proceed to step #2.";
constexpr std::u16string_view kRow4 =
    u"Unable to determine corresponding version.\r\nIt is recommended you proceed to step #2";

struct Row {
  std::u16string_view version;
  std::u16string_view caption;
};

class Classification : public ::testing::TestWithParam<Row> {};

TEST_P(Classification, SelectsTheFirstMatchingRow) {
  EXPECT_EQ(ClassifyRDPVersion(GetParam().version), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, Classification,
    ::testing::Values(
        Row{u"6.1.7600.16385", kRow1}, Row{u"6.1.7600.16385 (win7_rtm.090713-1255)", kRow1},
        Row{u"6.1.7601.17514", kRow2}, Row{u"6.1.7601.17514 (win7sp1_rtm.101119-1850)", kRow2},
        Row{u"6.2.9200.16384", kRow2}, Row{u"6.3.9600.16384", kRow2}, Row{u"10.0.19041.1", kRow2},
        Row{u"6.0.6001.18000", kRow3}, Row{u"6.0.6001.18000 (longhorn_rtm.080118-1840)", kRow3},
        Row{u"6.0.6002.18005", kRow4}, Row{u"6.1.7600.16399", kRow4}, Row{u"5.1.2600.5512", kRow4},
        Row{u"?", kRow4},
        // The numbers, not their spelling, decide the second test.
        Row{u"6.1.7601", kRow2}, Row{u"6.1.7601 (no revision)", kRow2}, Row{u"6.10.0.0", kRow2},
        Row{u"6.01.7601.1", kRow2}, Row{u"7.0.0", kRow2}, Row{u"99999999999.0.0.0", kRow2},
        Row{u"6.1.760", kRow4}, Row{u"6.1", kRow4}, Row{u"6.1.", kRow4}, Row{u"6..7601", kRow4},
        Row{u"", kRow4}, Row{u"?6.1.7601", kRow4}, Row{u"6, 1, 7601, 17514", kRow4},
        Row{u"\uFF16.1.7601.1", kRow4},
        // The tests keep their order.
        Row{u"7.0.0 built after 6.1.7600.16385", kRow1},
        Row{u"6.1.7601 built after 6.0.6001.18000", kRow2}));

TEST(DottedVersion, ReadsTheLeadingThreeNumbers) {
  EXPECT_EQ(LeadingDottedVersion(u"10.0.19041.1"), (DottedVersion{10, 0, 19041}));
  EXPECT_EQ(LeadingDottedVersion(u"6.1.7601abc"), (DottedVersion{6, 1, 7601}));
  EXPECT_EQ(LeadingDottedVersion(u"4294967296.0.0"), (DottedVersion{4294967295u, 0, 0}));
  EXPECT_EQ(LeadingDottedVersion(u" 6.1.7601"), std::nullopt);
}

constexpr std::u16string_view kClient = u"C:\\Windows\\system32\\mstsc.exe";

TEST(ShowRDPVersion, ReadsTheClientInTheSystemDirectory) {
  FakeSystemInfo system;
  FakeVersionInfo versions;
  FakeVersionLabels labels;
  versions.SetFileVersion(kClient, u"6.1.7601.17514 (win7sp1_rtm.101119-1850)");

  ShowRDPVersion(system, versions, labels);
  EXPECT_EQ(versions.sizeQueries, std::vector<std::u16string>{std::u16string(kClient)});
  EXPECT_EQ(labels.reported, u"6.1.7601.17514 (win7sp1_rtm.101119-1850)");
  EXPECT_EQ(labels.classification, kRow2);

  // After an update, a refresh replaces both texts.
  versions.SetFileVersion(kClient, u"6.1.7600.16385");
  ShowRDPVersion(system, versions, labels);
  EXPECT_EQ(labels.reported, u"6.1.7600.16385");
  EXPECT_EQ(labels.classification, kRow1);
}

TEST(ShowRDPVersion, ClassifiesWhatTheLabelShows) {
  FakeSystemInfo system;
  FakeVersionInfo versions;
  FakeVersionLabels labels;
  versions.SetFileVersion(kClient, u"6.1.7601.17514");
  labels.shownInstead = u"6.0.6001.18000";
  ShowRDPVersion(system, versions, labels);
  EXPECT_EQ(labels.reported, u"6.1.7601.17514");
  EXPECT_EQ(labels.classification, kRow3);
}

TEST(ShowRDPVersion, MissingClientIsUndetermined) {
  FakeSystemInfo system;
  FakeVersionInfo versions;
  FakeVersionLabels labels;
  ShowRDPVersion(system, versions, labels);
  EXPECT_EQ(labels.reported, u"?");
  EXPECT_EQ(labels.classification, kRow4);
}

TEST(ShowRDPVersion, WithoutASystemDirectoryLooksAtTheRoot) {
  FakeSystemInfo system;
  system.systemDirectoryCount = 0;
  FakeVersionInfo versions;
  FakeVersionLabels labels;
  ShowRDPVersion(system, versions, labels);
  EXPECT_EQ(versions.sizeQueries, std::vector<std::u16string>{u"\\mstsc.exe"});
  EXPECT_EQ(labels.reported, u"?");
  EXPECT_EQ(labels.classification, kRow4);
}

}  // namespace
}  // namespace tarnwick::testing
