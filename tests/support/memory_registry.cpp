#include "memory_registry.h"

#include <algorithm>

namespace tarnwick::testing {
namespace {

constexpr std::uint32_t kKeyWriteRights = 0x0002 | 0x0004 | 0x0020;  // set, create, link

std::u16string Fold(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& c : folded) {
    if (c >= u'A' && c <= u'Z')
      c += u'a' - u'A';
  }
  return folded;
}

std::u16string RootName(RegKey root) {
  if (root == kHkeyLocalMachine)
    return u"hklm";
  if (root == kHkeyCurrentUser)
    return u"hkcu";
  return {};
}

std::u16string Parent(const std::u16string& path) {
  auto cut = path.rfind(u'\\');
  return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
  keys_[u"hklm"];
  keys_[u"hkcu"];
}

std::optional<std::u16string> MemoryRegistry::Resolve(RegKey root, std::u16string_view path) const {
  std::u16string base = RootName(root);
  if (base.empty()) {
    auto open = handles_.find(root);
    if (open == handles_.end())
      return std::nullopt;
    base = open->second;
  }
  std::u16string full = base;
  for (std::size_t start = 0; start < path.size();) {
    std::size_t end = std::min(path.find(u'\\', start), path.size());
    if (end > start)
      full += u"\\" + Fold(path.substr(start, end - start));
    start = end + 1;
  }
  return full;
}

RegKey MemoryRegistry::NewHandle(const std::u16string& path) {
  RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = path;
  return handle;
}

SystemError MemoryRegistry::OpenKey(RegKey root, std::u16string_view path, std::uint32_t options,
                                    std::uint32_t access, RegKey& key) {
  (void)options;
  auto full = Resolve(root, path);
  if (!full)
    return kErrorInvalidHandle;
  if (!keys_.count(*full))
    return kErrorFileNotFound;
  if ((access & kKeyWriteRights) && writeDenied_.count(*full))
    return kErrorAccessDenied;
  key = NewHandle(*full);
  return kErrorSuccess;
}

SystemError MemoryRegistry::CreateKey(RegKey root, std::u16string_view path, RegKey& key) {
  auto full = Resolve(root, path);
  if (!full)
    return kErrorInvalidHandle;
  for (std::u16string at = *full; !at.empty(); at = Parent(at)) {
    if (writeDenied_.count(at))
      return kErrorAccessDenied;
    if (keys_.count(at))
      break;
  }
  for (std::u16string at = *full; !at.empty() && !keys_.count(at); at = Parent(at)) {
    keys_[at];
  }
  key = NewHandle(*full);
  return kErrorSuccess;
}

SystemError MemoryRegistry::QueryValue(RegKey key, std::u16string_view name, RegType& type,
                                       std::byte* data, std::uint32_t& size) {
  auto open = handles_.find(key);
  if (open == handles_.end())
    return kErrorInvalidHandle;
  const Key& stored = keys_.at(open->second);
  auto found = stored.values.find(Fold(name));
  if (found == stored.values.end())
    return kErrorFileNotFound;
  const StoredValue& value = found->second.second;
  type = value.type;
  auto needed = static_cast<std::uint32_t>(value.bytes.size());
  if (data == nullptr) {
    size = needed;
    return kErrorSuccess;
  }
  if (size < needed) {
    size = needed;
    return kErrorMoreData;
  }
  std::copy(value.bytes.begin(), value.bytes.end(), data);
  size = needed;
  return kErrorSuccess;
}

SystemError MemoryRegistry::SetValue(RegKey key, std::u16string_view name, RegType type,
                                     const std::byte* data, std::uint32_t size) {
  ++setValueCalls_;
  auto open = handles_.find(key);
  if (open == handles_.end())
    return kErrorInvalidHandle;
  if (auto failure = setFailures_.find(open->second); failure != setFailures_.end()) {
    return failure->second;
  }
  StoredValue value{type, std::vector<std::byte>(data, data + size)};
  keys_.at(open->second).values[Fold(name)] = {std::u16string(name), std::move(value)};
  return kErrorSuccess;
}

SystemError MemoryRegistry::DeleteValue(RegKey key, std::u16string_view name) {
  auto open = handles_.find(key);
  if (open == handles_.end())
    return kErrorInvalidHandle;
  return keys_.at(open->second).values.erase(Fold(name)) ? kErrorSuccess : kErrorFileNotFound;
}

SystemError MemoryRegistry::DeleteKey(RegKey root, std::u16string_view path) {
  auto full = Resolve(root, path);
  if (!full)
    return kErrorInvalidHandle;
  if (full->find(u'\\') == std::u16string::npos)
    return kErrorAccessDenied;  // a root
  auto found = keys_.find(*full);
  if (found == keys_.end())
    return kErrorFileNotFound;
  const std::u16string childPrefix = *full + u"\\";
  auto child = keys_.lower_bound(childPrefix);
  if (child != keys_.end() && child->first.rfind(childPrefix, 0) == 0)
    return kErrorAccessDenied;
  keys_.erase(found);
  return kErrorSuccess;
}

SystemError MemoryRegistry::CloseKey(RegKey key) {
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

SystemError MemoryRegistry::FlushKey(RegKey key) {
  const auto open = handles_.find(key);
  if (open == handles_.end())
    return kErrorInvalidHandle;
  if (auto failure = flushFailures_.find(open->second); failure != flushFailures_.end())
    return failure->second;
  flushed_.push_back(open->second);
  return kErrorSuccess;
}

void MemoryRegistry::Seed(RegKey root, std::u16string_view path, std::u16string_view name,
                          RegType type, std::vector<std::byte> bytes) {
  RegKey key = kNoKey;
  CreateKey(root, path, key);
  keys_.at(handles_.at(key)).values[Fold(name)] = {std::u16string(name),
                                                   StoredValue{type, std::move(bytes)}};
  CloseKey(key);
}

std::optional<StoredValue> MemoryRegistry::Find(RegKey root, std::u16string_view path,
                                                std::u16string_view name) const {
  auto full = Resolve(root, path);
  if (!full)
    return std::nullopt;
  auto key = keys_.find(*full);
  if (key == keys_.end())
    return std::nullopt;
  auto value = key->second.values.find(Fold(name));
  if (value == key->second.values.end())
    return std::nullopt;
  return value->second.second;
}

bool MemoryRegistry::KeyExists(RegKey root, std::u16string_view path) const {
  auto full = Resolve(root, path);
  return full && keys_.count(*full);
}

void MemoryRegistry::DenyWrite(RegKey root, std::u16string_view path) {
  writeDenied_.insert(*Resolve(root, path));
}

void MemoryRegistry::FailSetValue(RegKey root, std::u16string_view path, SystemError status) {
  setFailures_[*Resolve(root, path)] = status;
}

void MemoryRegistry::FailFlush(RegKey root, std::u16string_view path, SystemError status) {
  flushFailures_[*Resolve(root, path)] = status;
}

std::vector<std::byte> Utf16Bytes(std::u16string_view text) {
  std::vector<std::byte> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::byte>(c & 0xFF));
    bytes.push_back(static_cast<std::byte>(c >> 8));
  }
  return bytes;
}

std::vector<std::byte> SzBytes(std::u16string_view text) {
  return Utf16Bytes(std::u16string(text) + u'\0');
}

std::vector<std::byte> MultiSzBytes(std::initializer_list<std::u16string_view> elements) {
  std::u16string text;
  for (auto element : elements) {
    text += element;
    text += u'\0';
  }
  text += u'\0';
  return Utf16Bytes(text);
}

std::vector<std::byte> RawBytes(std::initializer_list<unsigned> bytes) {
  std::vector<std::byte> out;
  for (unsigned b : bytes)
    out.push_back(static_cast<std::byte>(b));
  return out;
}

}  // namespace tarnwick::testing
