// A VersionInfoApi over files described in memory: each file has a reported size and the bytes
// of its sub-blocks by name, exactly as the queries should return them.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "memory_registry.h"
#include "version/version_info.h"

namespace tarnwick::testing {

struct FakeVersionFile {
  std::uint32_t size = 256;  // what GetFileVersionInfoSize reports
  bool readFails = false;
  bool readThrows = false;
  std::map<std::u16string, std::vector<std::byte>> subBlocks;
};

// A translation table: (language, code page) pairs, each 16-bit little-endian.
inline std::vector<std::byte> TranslationBytes(
    std::initializer_list<std::pair<unsigned, unsigned>> entries) {
  std::vector<std::byte> bytes;
  for (auto [language, codePage] : entries)
    for (unsigned word : {language, codePage}) {
      bytes.push_back(static_cast<std::byte>(word & 0xFF));
      bytes.push_back(static_cast<std::byte>((word >> 8) & 0xFF));
    }
  return bytes;
}

inline std::u16string FileVersionBlock(std::u16string_view key) {
  return u"\\StringFileInfo\\" + std::u16string(key) + u"\\FileVersion";
}

class FakeVersionInfo final : public VersionInfoApi {
 public:
  FakeVersionFile& File(std::u16string_view path) { return files_[std::u16string(path)]; }

  // A file whose one translation is US English, Unicode, with this FileVersion.
  void SetFileVersion(std::u16string_view path, std::u16string_view version) {
    FakeVersionFile& file = File(path);
    file.subBlocks[u"\\VarFileInfo\\Translation"] = TranslationBytes({{0x0409, 0x04B0}});
    file.subBlocks[FileVersionBlock(u"040904B0")] = SzBytes(version);
  }

  std::vector<std::u16string> sizeQueries;      // every path asked for its size
  std::vector<std::u16string> subBlockQueries;  // every sub-block asked for

  std::uint32_t GetFileVersionInfoSize(std::u16string_view path) override {
    sizeQueries.emplace_back(path);
    auto found = files_.find(std::u16string(path));
    return found == files_.end() ? 0 : found->second.size;
  }

  bool GetFileVersionInfo(std::u16string_view path, std::span<std::byte> block) override {
    auto found = files_.find(std::u16string(path));
    if (found == files_.end() || found->second.readFails)
      return false;
    if (found->second.readThrows)
      throw std::runtime_error("read failed");
    EXPECT_EQ(block.size(), found->second.size) << "block not sized as reported";
    read_ = &found->second;
    block_ = block.data();
    return true;
  }

  std::optional<std::span<const std::byte>> VerQueryValue(std::span<const std::byte> block,
                                                          std::u16string_view subBlock) override {
    subBlockQueries.emplace_back(subBlock);
    EXPECT_EQ(block.data(), block_) << "query on a block that was not read";
    if (read_ == nullptr)
      return std::nullopt;
    auto found = read_->subBlocks.find(std::u16string(subBlock));
    if (found == read_->subBlocks.end())
      return std::nullopt;
    return std::span<const std::byte>(found->second);
  }

 private:
  std::map<std::u16string, FakeVersionFile> files_;
  const FakeVersionFile* read_ = nullptr;
  const std::byte* block_ = nullptr;
};

}  // namespace tarnwick::testing
