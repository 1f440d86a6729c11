// The tab order rule, on its own so that it can be checked without windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct TabCandidate {
  int32_t tabIndex;
  bool eligible;  // visible, enabled, a tab stop and not a timer
};

// Positions (in list order) of the eligible controls, sorted by tab index; among equal
// indexes the control nearer the end of the list comes first.
std::vector<size_t> SortTabOrder(std::span<const TabCandidate> controls);
