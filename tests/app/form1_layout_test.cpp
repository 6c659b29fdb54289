#include "app/form1_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/form1_texts.h"

namespace tarnwick {
namespace {

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(TwipsToPixels, ScalesByDpiOver1440AndRoundsToNearest) {
  struct Case {
    int twips, dpi, pixels;
  };
  const Case cases[] = {
      {10335, 96, 689},   {9030, 96, 602},  {15, 96, 1},       {7, 96, 0},
      {8, 96, 1},         {1440, 144, 144}, {10335, 120, 861}, {9030, 144, 903},
      {10335, 144, 1034}, {0, 192, 0},      {-8, 96, -1},      {1440, 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
}

TEST(Form1Layout, ClientAreaIs689By602At96Dpi) {
  EXPECT_EQ(ClientPixels(96), (PixelRect{0, 0, 689, 602}));
  EXPECT_EQ(ClientPixels(144), (PixelRect{0, 0, 1034, 903}));
}

TEST(Form1Layout, ListedInReadingOrderInsideTheClientArea) {
  const PixelRect client = ClientPixels(96);
  for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
    const ControlEntry& entry = kForm1Controls[i];
    const PixelRect r = ControlPixels(entry, 96);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
        << i;
    EXPECT_GT(r.width(), 0) << i;
    EXPECT_GT(r.height(), 0) << i;
    // The layout was drawn at 15 twips per pixel: every edge is a whole pixel at 96 dpi.
    EXPECT_EQ(
        entry.rect.left % 15 + entry.rect.top % 15 + entry.rect.width % 15 + entry.rect.height % 15,
        0)
        << i;
    if (i > 0) {
      const TwipRect& previous = kForm1Controls[i - 1].rect;
      EXPECT_TRUE(previous.top < entry.rect.top ||
                  (previous.top == entry.rect.top && previous.left < entry.rect.left))
          << i;
    }
  }
}

TEST(Form1Layout, PixelRectanglesAt96Dpi) {
  struct Case {
    ControlId id;
    PixelRect pixels;
  };
  const Case cases[] = {
      {ControlId::Label3, {16, 8, 681, 57}},
      {ControlId::Line_1, {24, 56, 624, 57}},
      {ControlId::lblRDPVersion, {160, 112, 513, 137}},
      {ControlId::cmdXP, {192, 168, 289, 193}},
      {ControlId::txtLog, {16, 272, 649, 457}},
      {ControlId::cmdClose, {296, 560, 393, 589}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ControlPixels(Form1Control(c.id), 96), c.pixels) << static_cast<int>(c.id);
}

TEST(Form1Layout, SeparatorsArePixelThickAtAnyDpi) {
  for (int dpi : {72, 96, 120, 144, 192}) {
    const PixelRect line = ControlPixels(Form1Control(ControlId::Line_0), dpi);
    EXPECT_EQ(line.height(), std::max(1, TwipsToPixels(15 + 3480, dpi) - TwipsToPixels(3480, dpi)))
        << dpi;
    EXPECT_GE(line.height(), 1) << dpi;
    EXPECT_EQ(line.width(), TwipsToPixels(9360, dpi) - TwipsToPixels(360, dpi)) << dpi;
  }
}

TEST(Form1Layout, TabOrderWalksTheButtonsThenTheLogThenClose) {
  std::vector<const ControlEntry*> focusable;
  std::set<int> tabIndexes;
  for (const ControlEntry& entry : kForm1Controls) {
    if (entry.kind == ControlKind::kLine) {
      EXPECT_EQ(entry.tabIndex, kNoTabIndex);
      continue;
    }
    EXPECT_TRUE(tabIndexes.insert(entry.tabIndex).second) << entry.tabIndex;
    if (TakesFocus(entry.kind))
      focusable.push_back(&entry);
  }
  EXPECT_EQ(*tabIndexes.begin(), 0);
  EXPECT_EQ(*tabIndexes.rbegin(), 18);
  EXPECT_EQ(tabIndexes.size(), 19u);

  std::sort(focusable.begin(), focusable.end(),
            [](const ControlEntry* a, const ControlEntry* b) { return a->tabIndex < b->tabIndex; });
  const std::vector<std::u16string_view> expected = {u"Refresh Version Number",
                                                     u"Windows XP",
                                                     u"Windows Vista 32-bit",
                                                     u"Windows Vista 64-bit",
                                                     u"Windows 7 or higher",
                                                     u"Update Authentication Protocols",
                                                     u"",
                                                     u"Close"};
  ASSERT_EQ(focusable.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(focusable[i]->caption, expected[i]) << i;
    EXPECT_EQ(focusable[i]->tabIndex, static_cast<int>(i));
  }
  EXPECT_EQ(focusable[6]->id, ControlId::txtLog);
}

TEST(Form1Layout, CreationOrderPutsSeparatorsOnTopThenFollowsTheTabOrder) {
  const auto order = CreationOrder();
  for (std::size_t i = 0; i < 5; ++i)
    EXPECT_EQ(order[i]->kind, ControlKind::kLine) << i;
  for (std::size_t i = 5; i < order.size(); ++i)
    EXPECT_EQ(order[i]->tabIndex, static_cast<int>(i - 5));
}

// The only overlaps: the download buttons on Label1, and separators on the labels they touch.
// Whatever lies on top is created first.
TEST(Form1Layout, OverlappingControlsAreTheIntendedOnes) {
  const auto order = CreationOrder();
  auto place = [&](const ControlEntry& entry) {
    return std::find(order.begin(), order.end(), &entry) - order.begin();
  };
  int buttonsOnLabel1 = 0;
  for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
    for (std::size_t j = i + 1; j < kForm1Controls.size(); ++j) {
      const ControlEntry& a = kForm1Controls[i];
      const ControlEntry& b = kForm1Controls[j];
      if (!Overlap(ControlPixels(a, 96), ControlPixels(b, 96)))
        continue;
      const ControlEntry& top = place(a) < place(b) ? a : b;
      const ControlEntry& bottom = place(a) < place(b) ? b : a;
      if (bottom.id == ControlId::Label1) {
        EXPECT_EQ(top.kind, ControlKind::kButton);
        ++buttonsOnLabel1;
      } else {
        EXPECT_EQ(top.kind, ControlKind::kLine) << static_cast<int>(a.id);
        EXPECT_EQ(bottom.kind, ControlKind::kLabel);
      }
    }
  }
  EXPECT_EQ(buttonsOnLabel1, 4);
}

TEST(Form1Texts, SupportAddressEndsTheExplanationAndLinksUseHttps) {
  const std::u16string ending = u" " + std::u16string(kSupportAddress) + u".";
  ASSERT_GT(kLabel3Caption.size(), ending.size());
  EXPECT_EQ(kLabel3Caption.substr(kLabel3Caption.size() - ending.size()), ending);
  EXPECT_TRUE(kSupportAddress.ends_with(u".example"));
  EXPECT_EQ(Form1Control(ControlId::Label3).caption, kLabel3Caption);

  const std::u16string_view files[] = {u"/WindowsXP-KB969084-x86-enu.exe",
                                       u"/Windows6.0-KB969084-x86.msu",
                                       u"/Windows6.0-KB969084-x64.msu"};
  const std::u16string_view urls[] = {kXpDownloadUrl, kVista32DownloadUrl, kVista64DownloadUrl};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(urls[i].starts_with(std::u16string(kDownloadHost) + u"/download/")) << i;
    EXPECT_TRUE(urls[i].starts_with(u"https://")) << i;
    EXPECT_TRUE(urls[i].ends_with(files[i])) << i;
  }
}

TEST(Form1Captions, EveryCaptionAndEveryVersionCheckResultIsFitted) {
  const std::vector<CaptionToFit> captions = CaptionsToFit();
  auto has = [&](ControlId id, std::u16string_view text) {
    return std::any_of(captions.begin(), captions.end(), [&](const CaptionToFit& c) {
      return c.control->id == id && c.text == text;
    });
  };
  for (const ControlEntry& entry : kForm1Controls) {
    if (entry.kind == ControlKind::kLabel || entry.kind == ControlKind::kButton) {
      EXPECT_TRUE(has(entry.id, entry.caption)) << static_cast<int>(entry.id);
    }
  }
  EXPECT_TRUE(has(ControlId::lblRDPVersion,
                  u"Unable to determine corresponding version.\r\nIt is recommended you proceed "
                  u"to step #2"));
  EXPECT_TRUE(has(ControlId::lblRDPVersion,
                  u"RDP Version 7.1 or higher - No need to install update. Proceed to step #3."));
  for (const CaptionToFit& caption : captions) {
    EXPECT_NE(caption.control->kind, ControlKind::kLine);
    EXPECT_NE(caption.control->kind, ControlKind::kLogBox);
  }
}

}  // namespace
}  // namespace tarnwick
