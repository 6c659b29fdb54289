#include "fake_version_info.h"
#include "version_info_contract.h"

namespace tarnwick::testing {
namespace {

std::u16string FakeFixture(std::u16string_view name) {
  return u"C:\\fixtures\\" + std::u16string(name);
}

// The fixtures as their resource scripts make them.
std::unique_ptr<VersionInfoApi> FakeFixtures() {
  auto api = std::make_unique<FakeVersionInfo>();
  api->SetFileVersion(FakeFixture(u"en_us.dll"), kFixtureVersion);
  api->SetFileVersion(FakeFixture(u"long_version.dll"), LongFixtureVersion());
  FakeVersionFile& two = api->File(FakeFixture(u"two_translations.dll"));
  two.subBlocks[u"\\VarFileInfo\\Translation"] =
      TranslationBytes({{0x0409, 0x04B0}, {0x0407, 0x04B0}});
  two.subBlocks[u"\\StringFileInfo\\040904B0\\ProductName"] = SzBytes(u"Tarnwick");
  two.subBlocks[FileVersionBlock(u"040704B0")] = SzBytes(kFixtureVersion);
  std::vector<std::byte> fixed = RawBytes({0xBD, 0x04, 0xEF, 0xFE});
  fixed.resize(52);
  for (const char16_t* name : {u"en_us.dll", u"long_version.dll", u"two_translations.dll"})
    api->File(FakeFixture(name)).subBlocks[u"\\"] = fixed;
  api->File(FakeFixture(u"no_version.dll"));
  return api;
}

INSTANTIATE_TEST_SUITE_P(Fake, VersionInfoContract,
                         ::testing::Values(VersionInfoBackend{"Fake", FakeFixtures, FakeFixture}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tarnwick::testing
