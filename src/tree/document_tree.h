// The document settings tree: the plug-in's two push-button items, the host items it locks,
// trims or hides before the tree is shown, and the callback it installs.
#pragma once

#include <cstdint>

#include "tree/tree_entry.h"

namespace tree {

// The plug-in's items of the document tree, in the host's pOEMOptItems.
inline constexpr std::uint32_t kDocumentItems = 2;
inline constexpr std::uint32_t kHoldItem = 0;    // "Print and Hold"
inline constexpr std::uint32_t kCopiesItem = 1;  // "Copies Setting"

}  // namespace tree
