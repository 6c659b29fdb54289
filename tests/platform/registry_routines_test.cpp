// What the contract suite cannot provoke on a real registry: refused access, failing writes,
// a value that grows while it is read, and handle accounting on every path.
#include <gtest/gtest.h>

#include "memory_registry.h"
#include "platform/registry.h"
#include "refusing_registry.h"

namespace tarnwick::testing {
namespace {

constexpr std::u16string_view kKey = u"SYSTEM\\Test";

TEST(RegistryRoutines, EveryPathClosesTheKeyItOpened) {
  MemoryRegistry registry;
  registry.Seed(kHkeyLocalMachine, kKey, u"sz", kRegSz, SzBytes(u"x"));
  registry.Seed(kHkeyLocalMachine, kKey, u"expand", kRegExpandSz, SzBytes(u"x"));
  registry.Seed(kHkeyLocalMachine, u"SYSTEM\\Locked", u"sz", kRegSz, SzBytes(u"x"));
  registry.DenyWrite(kHkeyLocalMachine, u"SYSTEM\\Locked");
  registry.FailSetValue(kHkeyLocalMachine, u"SYSTEM\\Full", 1450);
  registry.Seed(kHkeyLocalMachine, u"SYSTEM\\Full", u"sz", kRegSz, SzBytes(u"x"));

  RegType type = kRegSz;
  for (auto name : {u"sz", u"expand", u"absent"})
    GetKeyDataValue(registry, kHkeyLocalMachine, kKey, type, name);
  GetKeyDataValue(registry, kHkeyLocalMachine, u"SYSTEM\\Absent", type, u"sz");
  GetKeyDataValue(registry, kHkeyLocalMachine, u"SYSTEM\\Locked", type, u"sz");
  SetKeyDataValue(registry, kHkeyLocalMachine, kKey, kRegSz, u"sz", u"y");
  SetKeyDataValue(registry, kHkeyLocalMachine, u"SYSTEM\\New", kRegSz, u"sz", u"y");
  SetKeyDataValue(registry, kHkeyLocalMachine, u"SYSTEM\\Locked", kRegSz, u"sz", u"y");
  SetKeyDataValue(registry, kHkeyLocalMachine, u"SYSTEM\\Full", kRegSz, u"sz", u"y");
  FlushRegKey(registry, kHkeyLocalMachine, kKey);
  EXPECT_EQ(registry.OpenHandles(), 0);
}

TEST(RegistryRoutines, ReadRefusedAccessIsReportedAsSuch) {
  MemoryRegistry registry;
  registry.Seed(kHkeyLocalMachine, kKey, u"v", kRegMultiSz, MultiSzBytes({u"a"}));
  registry.DenyWrite(kHkeyLocalMachine, kKey);
  RegType type = kRegMultiSz;
  RegRead read = GetKeyDataValue(registry, kHkeyLocalMachine, kKey, type, u"v");
  EXPECT_EQ(read.error, kErrorAccessDenied);
}

TEST(RegistryRoutines, WriteReportsTheStatusOfTheStepThatFailed) {
  MemoryRegistry registry;
  registry.Seed(kHkeyLocalMachine, kKey, u"v", kRegSz, SzBytes(u"old"));
  registry.DenyWrite(kHkeyLocalMachine, kKey);
  RegResult write = SetKeyDataValue(registry, kHkeyLocalMachine, kKey, kRegSz, u"v", u"new");
  EXPECT_TRUE(write.atKey);
  EXPECT_EQ(write.error, kErrorAccessDenied);

  registry.FailSetValue(kHkeyLocalMachine, u"SYSTEM\\Other", 1450);
  write = SetKeyDataValue(registry, kHkeyLocalMachine, u"SYSTEM\\Other", kRegSz, u"v", u"new");
  EXPECT_FALSE(write.atKey);
  EXPECT_EQ(write.error, 1450u);
  EXPECT_EQ(registry.Find(kHkeyLocalMachine, kKey, u"v")->bytes, SzBytes(u"old"));
}

// A value that grows between the size report and the next query.
class GrowingValue final : public RefusingRegistry {
 public:
  SystemError OpenKey(RegKey, std::u16string_view, std::uint32_t, std::uint32_t,
                      RegKey& key) override {
    key = 1;
    return kErrorSuccess;
  }
  SystemError QueryValue(RegKey, std::u16string_view, RegType& type, std::byte* data,
                         std::uint32_t& size) override {
    text_ += std::u16string(700, u'g');
    auto bytes = SzBytes(text_);
    type = kRegSz;
    if (size < bytes.size() || ++queries_ < 3) {
      size = static_cast<std::uint32_t>(bytes.size());
      return kErrorMoreData;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    size = static_cast<std::uint32_t>(bytes.size());
    return kErrorSuccess;
  }
  const std::u16string& text() const { return text_; }

 private:
  std::u16string text_;
  int queries_ = 0;
};

TEST(RegistryRoutines, AValueThatGrowsWhileReadIsStillReadWhole) {
  GrowingValue registry;
  RegType type = kRegSz;
  RegRead read = GetKeyDataValue(registry, kHkeyLocalMachine, kKey, type, u"v");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.text, registry.text());
  EXPECT_GT(read.text.size(), 1024u);
}

}  // namespace
}  // namespace tarnwick::testing
