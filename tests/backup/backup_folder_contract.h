// One suite for the backup folder operations, run against every implementation: the in-memory
// double and, under Wine, the Windows one. Each test works in a base folder and a folder record
// of its own, which its backend removes afterwards.
//
// Wine keeps no file owners (every object reads as its Unix user's), enforces no DACLs and has
// no oplocks, and it opens through symbolic links even when asked not to and cannot make
// junctions. What depends on those cannot be seen there: those rows arrange it through a
// backend that can (the double alone), cite the Windows documentation that they model, and are
// skipped elsewhere.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "backup/backup_folder_ops.h"

namespace tarnwick::testing {

// The operations of one test, and what the suite arranges beside them where the backend can.
class FolderWorld {
 public:
  virtual ~FolderWorld() = default;
  virtual BackupFolderOps& ops() = 0;
  // Makes `path` a symbolic link to the folder `target`; false where the backend cannot.
  virtual bool MakeLink(std::u16string_view, std::u16string_view) { return false; }
  // Somebody else holds an oplock on the file `path`, and never acknowledges its break.
  virtual bool HoldOplock(std::u16string_view) { return false; }
  // Makes the file `path` as a standard user would, owned by them.
  virtual bool PlantAsUser(std::u16string_view) { return false; }
  // Whether `path` has the administrators-only DACL; nothing where the backend cannot tell.
  virtual std::optional<bool> AdminOnly(std::u16string_view) { return std::nullopt; }
};

struct FolderBackend {
  std::string name;
  std::function<std::unique_ptr<FolderWorld>()> make;
};

class BackupFolderContract : public ::testing::TestWithParam<FolderBackend> {
 protected:
  void SetUp() override;

  // `name` under the base folder.
  std::u16string At(std::u16string_view name) const { return base_ + u'\\' + std::u16string(name); }

  std::unique_ptr<FolderWorld> world_;
  BackupFolderOps* ops_ = nullptr;
  std::u16string base_;
};

std::string FolderBackendName(const ::testing::TestParamInfo<FolderBackend>& info);

}  // namespace tarnwick::testing
