// The native crystal file (.cry): reader and writer.
#pragma once

#include <filesystem>
#include <string>

#include "model/current_crystal.hpp"

namespace calvane {

struct CryReadResult {
  bool ok = false;
  bool too_many_atoms = false;  // more than 400 atom lines
  std::string message;          // why the read failed, naming the file and the line
};

/// Reads a .cry file: title, system code ("QUAD" becomes "TETR"), the first 12
/// characters of the symbol line, the cell line, then one atom per line (type
/// in columns 1-4, label in 5-6, then x y z B population in free format).
/// `crystal` is replaced only when the whole file reads; the derived cell
/// quantities are computed.
CryReadResult read_cry_file(const std::filesystem::path& path, CurrentCrystal& crystal);

/// The exact text of a .cry file for `crystal`.
std::string format_cry_file(const CurrentCrystal& crystal);

/// Writes `crystal` as a .cry file (through a temporary file renamed over the
/// target). Returns an empty string on success, else the reason.
std::string write_cry_file(const std::filesystem::path& path, const CurrentCrystal& crystal);

}  // namespace calvane
