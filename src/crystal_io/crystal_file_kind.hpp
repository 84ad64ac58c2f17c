// Which reader a crystal file needs, from its name and, where the name does
// not tell, from its content.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "model/workspace.hpp"

namespace calvane {

/// The kind given by the extension of the file name itself (not by a folder
/// on the way to it), without regard to case: ".cry" native, ".ins", ".inp",
/// ".res" SHELX, ".cel" PowderCell, ".lzy" Lazy-Pulverix, ".ics" ICSD,
/// ".cif" CIF. Empty for any other extension.
std::optional<CrystalFileKind> crystal_kind_of_name(const std::filesystem::path& path);

/// True for a SHELX result file (".res", without regard to case).
bool is_shelx_result_name(const std::filesystem::path& path);

/// The kind a file's text looks like: a CIF (a data_ block with a cell tag),
/// SHELX (CELL with LATT, SYMM, SFAC or FVAR cards), PowderCell (CELL and
/// RGNR), Lazy-Pulverix (CELL, SPCGRP and ATOM lines) or a native file (a
/// system code on its second line and six numbers on its fourth). Empty when
/// it looks like none of them.
std::optional<CrystalFileKind> crystal_kind_of_text(std::string_view text);

/// The kind of a file: by its extension; when the extension names no
/// crystal format, by its content (read from `path`); else `fallback`.
CrystalFileKind crystal_kind_of_file(const std::filesystem::path& path, CrystalFileKind fallback);

}  // namespace calvane
