#include "update/value_table.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"

namespace tarnwick {
namespace {

// The text without the blanks and tabs around it.
std::u16string_view TrimBlanks(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u" \t");
  if (first == text.npos)
    return {};
  return text.substr(first, text.find_last_not_of(u" \t") + 1 - first);
}

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

constexpr BuiltInPackage kTspkgBuiltIn = {u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig", 6,
                                          3};

constexpr Stage kStages[] = {
    {u"SYSTEM\\CurrentControlSet\\Control\\Lsa", u"Security Packages", kRegMultiSz, u"tspkg",
     PackageListContains, PackageListWith, 1, &kTspkgBuiltIn},
    {u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders", u"SecurityProviders", kRegSz,
     u"credssp.dll", ProviderListContains, ProviderListWith, 2, nullptr},
};

}  // namespace

bool PackageListContains(std::u16string_view packages, std::u16string_view name) {
  const auto elements = Split(packages, u'\0');
  return std::any_of(elements.begin(), elements.end(), [&](std::u16string_view element) {
    return EqualsIgnoringCase(element, name);
  });
}

std::u16string PackageListWith(std::u16string_view packages, std::u16string_view name) {
  std::u16string list;
  for (auto element : Split(packages, u'\0')) {
    if (!element.empty())
      list += std::u16string(element) + u'\0';
  }
  return list + std::u16string(name) + u'\0';
}

bool ProviderListContains(std::u16string_view providers, std::u16string_view name) {
  const auto entries = Split(providers, u',');
  return std::any_of(entries.begin(), entries.end(), [&](std::u16string_view entry) {
    return EqualsIgnoringCase(TrimBlanks(entry), name);
  });
}

std::u16string ProviderListWith(std::u16string_view providers, std::u16string_view name) {
  if (TrimBlanks(providers).empty())
    return std::u16string(name);
  return std::u16string(providers) + u", " + std::u16string(name);
}

std::u16string WithNulsAsBlanks(std::u16string_view text) {
  std::u16string shown(text);
  std::replace(shown.begin(), shown.end(), u'\0', u' ');
  return shown;
}

std::span<const Stage> UpdateStages() {
  return kStages;
}

std::u16string Where(std::u16string_view keyPath, std::u16string_view valueName) {
  return std::u16string(keyPath) + u"\\" + std::u16string(valueName);
}

}  // namespace tarnwick
