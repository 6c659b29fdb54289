// A VersionInfoApi over files described in memory: each file has a reported size and the bytes
// of its sub-blocks by name, exactly as the queries should return them. As version.dll does, it
// reads them into the block it is given and answers each query with a part of that block (cut at
// its end), whatever the case of the name asked for.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "memory_registry.h"
#include "platform/text.h"
#include "version/version_info.h"

namespace tarnwick::testing {

struct FakeVersionFile {
  std::optional<std::uint32_t> size;  // what GetFileVersionInfoSize reports; unset: the bytes of
                                      // its sub-blocks
  bool readFails = false;
  bool readThrows = false;
  std::map<std::u16string, std::vector<std::byte>> subBlocks;  // none: no version resource

  std::uint32_t Size() const {
    std::size_t bytes = 0;
    for (const auto& [name, value] : subBlocks)
      bytes += value.size();
    return size.value_or(static_cast<std::uint32_t>(bytes));
  }
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
    return found == files_.end() ? 0 : found->second.Size();
  }

  bool GetFileVersionInfo(std::u16string_view path, std::span<std::byte> block) override {
    auto found = files_.find(std::u16string(path));
    if (found == files_.end() || found->second.readFails || found->second.subBlocks.empty())
      return false;
    if (found->second.readThrows)
      throw std::runtime_error("read failed");
    EXPECT_EQ(block.size(), found->second.Size()) << "block not sized as reported";
    block_ = block.data();
    laidOut_.clear();
    std::size_t at = 0;
    for (const auto& [name, value] : found->second.subBlocks) {
      std::copy_n(value.begin(), std::min(value.size(), block.size() - std::min(at, block.size())),
                  block.begin() + std::min(at, block.size()));
      laidOut_.push_back({name, at, value.size()});
      at += value.size();
    }
    return true;
  }

  std::optional<std::span<const std::byte>> VerQueryValue(std::span<const std::byte> block,
                                                          std::u16string_view subBlock) override {
    subBlockQueries.emplace_back(subBlock);
    EXPECT_EQ(block.data(), block_) << "query on a block that was not read";
    for (const LaidOut& value : laidOut_) {
      if (EqualsIgnoringCase(value.name, subBlock) && value.at <= block.size())
        return block.subspan(value.at, std::min(value.size, block.size() - value.at));
    }
    return std::nullopt;
  }

 private:
  struct LaidOut {
    std::u16string name;
    std::size_t at;  // where in the block
    std::size_t size;
  };
  std::map<std::u16string, FakeVersionFile> files_;
  std::vector<LaidOut> laidOut_;  // the sub-blocks of the file read last
  const std::byte* block_ = nullptr;
};

}  // namespace tarnwick::testing
