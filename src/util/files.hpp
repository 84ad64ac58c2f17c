// File helpers: whole-file reads, atomic writes, case-blind lookup in a folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

/// The lines of a text held in memory, any line ending (LF, CR LF, lone CR) accepted.
std::vector<std::string> split_text_lines(std::string_view text);
/// The lines of a text file, any line ending (LF, CR LF, lone CR) accepted.
/// Empty when the file cannot be opened.
std::optional<std::vector<std::string>> read_text_lines(const std::filesystem::path& path);

/// The whole file as bytes; empty optional when it cannot be opened.
std::optional<std::string> read_file_bytes(const std::filesystem::path& path);

/// Writes `content` to a temporary file beside `path` and renames it over
/// `path`, so that a failed write never leaves a half file. Returns an empty
/// string on success, else a short English reason.
std::string write_file_atomically(const std::filesystem::path& path, std::string_view content);

/// Writes `content` over the file at `path` in place and cuts the file to
/// its length, creating it if needed. Much cheaper than truncating first when
/// the file is rewritten often (a phase's listings at every computation):
/// the file system keeps the file's blocks and cached pages instead of
/// freeing and allocating them again. Returns an empty string on success,
/// else a short English reason.
std::string overwrite_file(const std::filesystem::path& path, std::string_view content);

/// `folder / name` if a file of that name exists there, compared without
/// regard to case ("brcow.an" finds "Brcow.an"); empty when none does.
std::optional<std::filesystem::path> find_file_ignoring_case(const std::filesystem::path& folder,
                                                             std::string_view name);

/// Deletes a file if it exists; errors are ignored (clean-up only).
void remove_file_quietly(const std::filesystem::path& path);

/// The file name without its folder ("C:\\x\\quartz.cry" and "/x/quartz.cry" give "quartz.cry").
std::string file_name_of(std::string_view path);

}  // namespace calvane
