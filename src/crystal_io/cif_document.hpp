// A CIF file split into data blocks, items and values: the tokens of the
// CIF 1.1 syntax (quoted values, text fields, loops over several lines),
// without any dictionary meaning.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

struct CifValue {
  std::string text;   // quotes and text-field semicolons removed
  bool null = false;  // an unquoted "?" or "."
};

/// A tag-value pair (one tag, one row) or a loop.
struct CifItem {
  std::vector<std::string> tags;
  std::vector<std::vector<CifValue>> rows;  // each row has one value per tag
};

struct CifBlock {
  std::string name;  // after "data_"
  std::vector<CifItem> items;  // in file order

  /// The item holding `tag` (compared without regard to case) and the
  /// column of the tag in it; nullptr when absent.
  const CifItem* find(std::string_view tag, std::size_t* column = nullptr) const;
  /// The first value of `tag`; nullptr when the tag is absent.
  const CifValue* value(std::string_view tag) const;
};

struct CifFile {
  std::vector<CifBlock> blocks;
};

/// Tokenizes a whole CIF text. On a syntax error, empty and `error` holds
/// the parser's explanation with the line.
std::optional<CifFile> parse_cif(std::string_view text, const std::string& name, std::string& error);

}  // namespace calvane
