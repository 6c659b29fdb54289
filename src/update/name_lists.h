// The two list forms the update extends: a security package list (REG_MULTI_SZ, read with its
// final NUL removed, so each element is followed by its own NUL) and a provider list (one
// REG_SZ text of names separated by commas). Names compare whole and without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

bool PackageListContains(std::u16string_view packages, std::u16string_view name);

// The list with `name` as its new last element, each element followed by one NUL. The
// existing elements stay as they are, whatever form the list was stored in; empty elements,
// which would end the list early for Windows, are not kept.
std::u16string PackageListWith(std::u16string_view packages, std::u16string_view name);

bool ProviderListContains(std::u16string_view providers, std::u16string_view name);

// The list with ", " and `name` appended, or `name` alone when the list holds no name.
std::u16string ProviderListWith(std::u16string_view providers, std::u16string_view name);

// The text with every NUL shown as one blank, for the log.
std::u16string WithNulsAsBlanks(std::u16string_view text);

}  // namespace tarnwick
