#include "update/name_lists.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"

namespace tarnwick {
namespace {

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::u16string_view::npos)
      end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

bool PackageListContains(std::u16string_view packages, std::u16string_view name) {
  for (auto element : Split(packages, u'\0')) {
    if (EqualsIgnoringCase(element, name))
      return true;
  }
  return false;
}

std::u16string PackageListWith(std::u16string_view packages, std::u16string_view name) {
  std::u16string list;
  list.reserve(packages.size() + name.size() + 2);
  for (auto element : Split(packages, u'\0')) {
    if (element.empty())
      continue;
    list += element;
    list += u'\0';
  }
  list += name;
  list += u'\0';
  return list;
}

bool ProviderListContains(std::u16string_view providers, std::u16string_view name) {
  for (auto entry : Split(providers, u',')) {
    if (EqualsIgnoringCase(TrimBlanks(entry), name))
      return true;
  }
  return false;
}

std::u16string ProviderListWith(std::u16string_view providers, std::u16string_view name) {
  std::u16string list(providers);
  if (!TrimBlanks(providers).empty()) {
    list += u", ";
  } else {
    list.clear();
  }
  list += name;
  return list;
}

std::u16string WithNulsAsBlanks(std::u16string_view text) {
  std::u16string shown(text);
  std::replace(shown.begin(), shown.end(), u'\0', u' ');
  return shown;
}

}  // namespace tarnwick
