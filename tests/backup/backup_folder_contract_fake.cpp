#include "backup_folder_contract.h"
#include "fake_backup_folder_ops.h"

namespace tarnwick::testing {
namespace {

// The double, with what it alone can arrange: links, oplocks, owners and DACLs.
class FakeWorld final : public FolderWorld {
 public:
  BackupFolderOps& ops() override { return ops_; }
  bool MakeLink(std::u16string_view path, std::u16string_view) override {
    ops_.items[std::u16string(path)] = FakeItem::Folder();
    ops_.items[std::u16string(path)].link = true;
    return true;
  }
  bool HoldOplock(std::u16string_view path) override {
    ops_.items.at(std::u16string(path)).oplocked = true;
    return true;
  }
  bool PlantAsUser(std::u16string_view path) override {
    ops_.items[std::u16string(path)] = FakeItem::File().Planted();
    return true;
  }
  std::optional<bool> AdminOnly(std::u16string_view path) override {
    return ops_.items.at(std::u16string(path)).secured;
  }

 private:
  FakeBackupFolderOps ops_;
};

INSTANTIATE_TEST_SUITE_P(Fake, BackupFolderContract,
                         ::testing::Values(FolderBackend{
                             "Fake", [] { return std::make_unique<FakeWorld>(); }}),
                         FolderBackendName);

}  // namespace
}  // namespace tarnwick::testing
