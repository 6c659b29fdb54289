// Whether this Windows has CredSSP at all: LSA loads tspkg.dll and credssp.dll from the system
// directory, so a name added where they are missing names a package that cannot load.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_info.h"

namespace tarnwick {

class CredsspFiles {
 public:
  explicit CredsspFiles(SystemInfoApi& system) : system_(system) {}

  // The files of the two that the system directory lacks, looked for once; empty when both are
  // there.
  const std::vector<std::u16string_view>& Missing();
  // The system directory, ending in "\".
  const std::u16string& Folder();

 private:
  SystemInfoApi& system_;
  std::optional<std::u16string> folder_;
  std::optional<std::vector<std::u16string_view>> missing_;
};

}  // namespace tarnwick
