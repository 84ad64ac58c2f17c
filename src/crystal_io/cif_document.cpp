// The only translation unit that compiles gemmi's CIF parser (tao-pegtl).
#include "crystal_io/cif_document.hpp"

#include <gemmi/cif.hpp>

#include <algorithm>
#include <stdexcept>

namespace calvane {

namespace {

CifValue value_of(const std::string& raw) { return CifValue{gemmi::cif::as_string(raw), gemmi::cif::is_null(raw)}; }

bool same_tag(std::string_view first, std::string_view second) {
  return first.size() == second.size() &&
         std::equal(first.begin(), first.end(), second.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

CifBlock convert(const gemmi::cif::Block& source) {
  CifBlock block;
  block.name = source.name;
  for (const gemmi::cif::Item& item : source.items) {
    CifItem converted;
    if (item.type == gemmi::cif::ItemType::Pair) {
      converted.tags.push_back(item.pair[0]);
      converted.rows.push_back({value_of(item.pair[1])});
    } else if (item.type == gemmi::cif::ItemType::Loop) {
      const gemmi::cif::Loop& loop = item.loop;
      converted.tags = loop.tags;
      const std::size_t width = loop.tags.size();
      for (std::size_t row = 0; width > 0 && row < loop.length(); ++row) {
        std::vector<CifValue> values;
        for (std::size_t column = 0; column < width; ++column) values.push_back(value_of(loop.val(row, column)));
        converted.rows.push_back(std::move(values));
      }
    } else {
      continue;  // save frames and comments carry nothing we read
    }
    block.items.push_back(std::move(converted));
  }
  return block;
}

}  // namespace

const CifItem* CifBlock::find(std::string_view tag, std::size_t* column) const {
  for (const CifItem& item : items) {
    for (std::size_t i = 0; i < item.tags.size(); ++i) {
      if (!same_tag(item.tags[i], tag)) continue;
      if (column) *column = i;
      return &item;
    }
  }
  return nullptr;
}

const CifValue* CifBlock::value(std::string_view tag) const {
  std::size_t column = 0;
  const CifItem* item = find(tag, &column);
  if (!item || item->rows.empty()) return nullptr;
  return &item->rows.front()[column];
}

std::optional<CifFile> parse_cif(std::string_view text, const std::string& name, std::string& error) {
  try {
    gemmi::cif::Document document = gemmi::cif::read_memory(text.data(), text.size(), name.c_str());
    CifFile file;
    for (const gemmi::cif::Block& block : document.blocks) file.blocks.push_back(convert(block));
    return file;
  } catch (const std::exception& failure) {
    error = failure.what();
    return std::nullopt;
  }
}

}  // namespace calvane
