// Workspace files for a workspace that no window shows (the command line,
// scripts): the same reading and writing as the desktop's, with the
// experiment page's texts made from the settings and nothing asked.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "model/workspace.hpp"

namespace calvane {

class MessageSink;

/// The workspace a workspace file (.cmp) holds, its phases named by the
/// crystal files the workspace file gives. Empty after a message when the
/// file cannot be read. `program_folder` holds the data files.
std::optional<Workspace> read_workspace_file(const std::filesystem::path& path,
                                             const std::filesystem::path& program_folder, MessageSink& messages);

/// Writes `workspace` as a workspace file at `path`; empty, or the reason
/// nothing was written.
std::string write_workspace_file(const Workspace& workspace, const std::filesystem::path& path,
                                 const std::filesystem::path& program_folder);

}  // namespace calvane
