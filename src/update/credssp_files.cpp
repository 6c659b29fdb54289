#include "update/credssp_files.h"

namespace tarnwick {

const std::u16string& CredsspFiles::Folder() {
  if (!folder_)
    folder_ = SystemDir(system_);
  return *folder_;
}

const std::vector<std::u16string_view>& CredsspFiles::Missing() {
  if (!missing_) {
    missing_.emplace();
    for (std::u16string_view file : {u"tspkg.dll", u"credssp.dll"}) {
      if (!system_.IsNativeFile(Folder() + std::u16string(file)))
        missing_->push_back(file);
    }
  }
  return *missing_;
}

}  // namespace tarnwick
