// Presentation model of the CIF block chooser (CifBlockWindow): the list of the
// structure blocks of a CIF file, OK and Close.
#pragma once

#include <string>
#include <vector>

namespace calvane {

struct CifBlockForm {
  std::string heading = "The CIF file contains several data blocks";
  std::string prompt = "Select a bloc";
  std::vector<std::string> blocks;  // block names in file order
  int selected = -1;                // 0-based list position, -1 none
  bool visible = false;
  std::string read_notice = "The file was normally read";  // hidden read-only field
  bool read_notice_visible = false;
};

}  // namespace calvane
