// The version resource reader on any bytes, as the version information of a file: it finds a
// FileVersion or not, and reads nothing outside what each query gives it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "version/version_info.h"

namespace {

using Bytes = std::span<const std::byte>;

std::uint16_t Word(Bytes block, std::size_t at) {
  return static_cast<std::uint16_t>(std::to_integer<unsigned>(block[at]) |
                                    std::to_integer<unsigned>(block[at + 1]) << 8);
}

constexpr std::size_t Aligned(std::size_t at) {
  return (at + 3) & ~std::size_t{3};
}

// One node of a VS_VERSIONINFO tree: its length, its value's length and type (1: text, whose
// length counts characters), a NUL-terminated key, then on 32-bit boundaries its value and its
// children.
struct Node {
  std::size_t end = 0;  // one past its last byte
  std::u16string key;
  Bytes value;
  std::size_t children = 0;  // where its first child starts
};

// The node at `at` that ends by `limit`; nothing when its length or key does not fit. A value
// longer than its node is cut at the node's end.
std::optional<Node> ReadNode(Bytes block, std::size_t at, std::size_t limit) {
  if (limit - at < 6)
    return std::nullopt;
  const std::size_t length = Word(block, at);
  if (length < 6 || length > limit - at)
    return std::nullopt;
  Node node;
  node.end = at + length;
  std::size_t pos = at + 6;
  for (;; pos += 2) {
    if (node.end - pos < 2)
      return std::nullopt;
    const char16_t c = Word(block, pos);
    if (c == u'\0')
      break;
    node.key += c;
  }
  const std::size_t valueAt = std::min(Aligned(pos + 2), node.end);
  const std::size_t valueLength = Word(block, at + 2) * (Word(block, at + 4) == 1 ? 2u : 1u);
  node.value = block.subspan(valueAt, std::min(valueLength, node.end - valueAt));
  node.children = std::min(Aligned(valueAt + valueLength), node.end);
  return node;
}

bool SameKey(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; };
  return std::ranges::equal(a, b, [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

// What VerQueryValue finds for a path such as "\StringFileInfo\040904B0\FileVersion".
std::optional<Bytes> Find(Bytes block, std::u16string_view path) {
  std::optional<Node> node = ReadNode(block, 0, block.size());
  while (node) {
    path.remove_prefix(std::min(path.find_first_not_of(u'\\'), path.size()));
    if (path.empty())
      return node->value;
    const std::u16string_view name = path.substr(0, path.find(u'\\'));
    path.remove_prefix(name.size());
    std::optional<Node> found;
    for (std::size_t at = node->children; at < node->end && !found;) {
      std::optional<Node> child = ReadNode(block, at, node->end);
      if (!child)
        break;
      if (SameKey(child->key, name))
        found = std::move(child);
      else
        at = Aligned(child->end);
    }
    node = std::move(found);
  }
  return std::nullopt;
}

// A file whose version information is the fuzzer's bytes. Each answer is a copy of its own, so
// that reading past one is a read past the end of a heap block.
class ResourceVersionInfo final : public tarnwick::VersionInfoApi {
 public:
  explicit ResourceVersionInfo(Bytes resource) : resource_(resource) {}

  std::uint32_t GetFileVersionInfoSize(std::u16string_view) override {
    return static_cast<std::uint32_t>(resource_.size());
  }
  bool GetFileVersionInfo(std::u16string_view, std::span<std::byte> block) override {
    tarnwick::fuzz::Check(block.size() == resource_.size(), "the block is sized as reported");
    std::ranges::copy(resource_, block.begin());
    return true;
  }
  std::optional<Bytes> VerQueryValue(Bytes block, std::u16string_view subBlock) override {
    const std::optional<Bytes> value = Find(block, subBlock);
    if (!value)
      return std::nullopt;
    answers_.emplace_back(value->begin(), value->end());
    return Bytes(answers_.back());
  }

 private:
  Bytes resource_;
  std::vector<std::vector<std::byte>> answers_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  if (size > UINT32_MAX)
    return 0;
  ResourceVersionInfo api(Bytes(reinterpret_cast<const std::byte*>(data), size));
  FileVersionRecord record;
  const bool found = ReadVersionInfo(api, u"C:\\Windows\\system32\\mstsc.exe", record);
  fuzz::Check(found || record.FileVersion.empty(), "nothing found, nothing read");
  fuzz::Check(record.FileVersion.find(u'\0') == std::u16string::npos,
              "the version ends before its first NUL");
  const std::u16string shown = GetFileVersion(api, u"C:\\Windows\\system32\\mstsc.exe");
  fuzz::Check(found ? shown == record.FileVersion : shown == u"?",
              "the version shown is the one read, or \"?\"");
  return 0;
}
