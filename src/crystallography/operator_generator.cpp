#include "crystallography/operator_generator.hpp"

#include <gemmi/symmetry.hpp>

#include <optional>

#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

struct ResolvedGroup {
  gemmi::GroupOps operations;
  std::string name;
};

std::optional<ResolvedGroup> resolve_symbol(const std::string& symbol) {
  if (symbol.empty()) return std::nullopt;
  if (symbol.front() != '-') {
    if (const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(symbol))
      return ResolvedGroup{sg->operations(), sg->xhm() + "  " + sg->hall + "  " + std::to_string(sg->number)};
  }
  try {
    return ResolvedGroup{gemmi::symops_from_hall(symbol.c_str()), "Hall " + symbol};
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::string number_text(int numerator, int denominator) {
  if (numerator % denominator == 0) return fixed(static_cast<long long>(numerator / denominator), 3);
  return " " + fixed(static_cast<double>(numerator) / denominator, 10, 8);
}

std::string operator_numbers(const gemmi::Op& op) {
  std::string line;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) line += number_text(op.rot[row][column], gemmi::Op::DEN);
    int t = op.tran[row] % gemmi::Op::DEN;
    line += number_text(t < 0 ? t + gemmi::Op::DEN : t, gemmi::Op::DEN);
  }
  return line;
}

std::string scfs_text(const std::string& symbol, const std::optional<ResolvedGroup>& group) {
  std::string text = " " + (group ? group->name : symbol + " unknown space group") + "\n";
  if (!group) return text + "\n\n\n\n\n";
  for (const gemmi::Op& op : group->operations.sym_ops) text += operator_numbers(op) + "\n";
  text += "\n Equivalent positions\n centring: ";
  for (const gemmi::Op::Tran& tau : group->operations.cen_ops)
    text += " " + gemmi::Op{gemmi::Op::identity().rot, tau}.triplet();
  text += "\n operators: " + std::to_string(group->operations.sym_ops.size()) + "\n\n";
  int number = 0;
  for (const gemmi::Op& op : group->operations.sym_ops)
    text += fixed(static_cast<long long>(++number), 6) + " " + to_upper(op.triplet()) + "\n";
  return text;
}

}  // namespace

GetspecSymbol getspec_argument(std::string_view symbol) {
  GetspecSymbol codes;
  codes.fill(32);
  for (std::size_t i = 0; i < symbol.size() && i < codes.size(); ++i)
    codes[i] = static_cast<unsigned char>(symbol[i]);
  return codes;
}

GetspecStatus getspec(const GetspecSymbol& codes, const std::filesystem::path& folder) {
  std::string symbol;
  for (std::int32_t code : codes) symbol += static_cast<char>(code);
  symbol = trim(symbol);
  std::optional<ResolvedGroup> group = resolve_symbol(symbol);
  if (!write_file_atomically(folder / "scfs.dat", scfs_text(symbol, group)).empty())
    return GetspecStatus::NotWritten;
  return group ? GetspecStatus::Written : GetspecStatus::UnknownSymbol;
}

}  // namespace calvane
