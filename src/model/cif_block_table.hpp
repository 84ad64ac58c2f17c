// The data blocks of a CIF file that hold a structure, as the last scan
// found them, and the one chosen for reading.
#pragma once

#include <string>
#include <vector>

namespace calvane {

inline constexpr int kMaxCifBlocks = 10;

struct CifBlockEntry {
  std::string name;        // after "data_"
  int document_index = 0;  // 0-based position among all blocks of the file
};

struct CifBlockTable {
  std::vector<CifBlockEntry> blocks;  // in file order, at most kMaxCifBlocks
  int chosen_block = 0;               // 1-based; 0 before a choice
};

}  // namespace calvane
