// The installed catalogues against gemmi's space-group table: every setting,
// through the program's own routes.
#include "crystallography/space_group_catalogue.hpp"

#include <gtest/gtest.h>

#include <map>

#include "crystallography/operators.hpp"
#include "crystallography/symmetry_reference.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {
namespace {

using testing::gemmi_entry;
using testing::gemmi_keys;
using testing::operator_keys;

const char* const kSystems[] = {"TRIC", "MONO", "ORTH", "TETR", "HEXA", "RHOM", "CUBI"};

std::vector<std::string> data_lines(const char* name) {
  auto path = find_file_ignoring_case(testing::source_folder("data"), name);
  auto lines = path ? read_text_lines(*path) : std::nullopt;
  return lines ? *lines : std::vector<std::string>{};
}

// Every setting of the generator catalogue through getspec, and every record of
// the standard catalogues through the position route.
TEST(Catalogues, EverySettingThroughEitherRouteGivesGemmisOperators) {
  testing::TempFolder scratch;
  testing::ScriptedUi ui;
  int settings = 0, records = 0;
  for (const char* system : kSystems) {
    auto items = read_catalogue_items(testing::source_folder("data"), system);
    ASSERT_TRUE(items.has_value());
    const std::vector<std::string> lines = data_lines(pos_file_name(system).c_str());
    ASSERT_FALSE(lines.empty()) << system;
    std::vector<std::pair<std::string, bool>> routes;  // symbol, through getspec
    for (const std::string& item : *items) routes.emplace_back(catalogue_fields(item).hermann_mauguin, true);
    for (const std::string& symbol : standard_symbols(lines)) routes.emplace_back(symbol, false);
    for (const auto& [symbol, generator] : routes) {
      CurrentCrystal crystal;
      crystal.system_code = system;
      crystal.symbol = symbol;
      ASSERT_TRUE(generator ? build_operators_getspec(crystal, scratch.path(), ui)
                            : build_operators_pos(crystal, testing::source_folder("data"), ui))
          << symbol;
      const gemmi::SpaceGroup* sg = gemmi_entry(symbol);
      ASSERT_NE(sg, nullptr) << symbol;
      EXPECT_EQ(operator_keys(crystal.symmetry.operators), gemmi_keys(*sg)) << system << " " << symbol;
      EXPECT_TRUE(!generator || crystal.symmetry.centrosymmetric == testing::gemmi_inversion_at_origin(*sg))
          << symbol;
      ++(generator ? settings : records);
    }
  }
  EXPECT_TRUE(ui.warnings.empty()) << ui.last_warning();
  EXPECT_EQ(settings, 12 + 110 + 192 + 88 + 52 + 7 + 43);
  // 230 groups, 24 of them with two origins, the 7 rhombohedral ones twice.
  EXPECT_EQ(records, 230 + 24 + 7);
}

TEST(GeneratorCatalogue, KeepsItsLineRangesAndUniqueSymbols) {
  const std::vector<std::string> lines = data_lines("spgr2.dat");
  ASSERT_EQ(lines.size(), 637u);
  EXPECT_TRUE(trim(lines[556]).empty()) << "line 557 belongs to no system";
  std::map<std::string, int> seen;
  for (const char* system : kSystems) {
    auto range = catalogue_range(system);
    ASSERT_TRUE(range.has_value());
    for (int number = range->first; number <= range->last; ++number) {
      const std::string& line = lines[static_cast<std::size_t>(number - 1)];
      if (trim(line).empty()) continue;
      const CatalogueFields fields = catalogue_fields(catalogue_item(line));
      const std::string& symbol = fields.hermann_mauguin;
      EXPECT_TRUE(seen.emplace(symbol, number).second) << symbol << " twice";
      const gemmi::SpaceGroup* sg = gemmi_entry(symbol);
      ASSERT_NE(sg, nullptr) << symbol;
      EXPECT_EQ(fields.hall, trim(trim(sg->hall).substr(0, 13))) << symbol;  // the page's field
      EXPECT_EQ(parse_integer(fields.number), sg->number) << symbol;
    }
  }
}

TEST(NumberList, Gives230NumbersWithSymbolsOfThatNumber) {
  const std::vector<std::string> lines = data_lines("csp.lst");
  ASSERT_EQ(lines.size(), 230u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    NumberScanner scanner(lines[i]);
    auto number = scanner.next_integer();
    ASSERT_EQ(number, static_cast<long long>(i + 1)) << lines[i];
    const std::string symbol = trim(substring(scanner.rest(), 0, 10));
    EXPECT_EQ(symbol, to_upper(symbol));
    const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(symbol);
    ASSERT_NE(sg, nullptr) << symbol;
    EXPECT_EQ(sg->number, number) << symbol;
  }
}

// The columns are read for every line in the tests above; a Hall symbol
// longer than 13 characters reaches the crystal page cut ("P 31 2 (0 0 4").
TEST(CatalogueItem, CutsALongHallSymbolToItsField) {
  EXPECT_EQ(catalogue_fields(catalogue_item(std::string(5, ' ') + "P 31 1 2" + std::string(13, ' ') +
                                            "P 31 2 (0 0 4)      151"))
                .hall,
            "P 31 2 (0 0 4");
  EXPECT_EQ(catalogue_item(""), "");
}

TEST(FindCatalogueSymbol, FindsEverySpellingOfASetting) {
  struct Case {
    const char *system, *typed;
    bool generator;
    const char* found;
  };
  const Case cases[] = {
      {"MONO", "P 1 21/c 1", true, "P 1 21/c 1"},  // exact
      {"MONO", "p 1 21/c 1", true, "P 1 21/c 1"},  // case ignored
      {"MONO", "-P2YBC", true, "P 1 21/c 1"},      // the Hall field without blanks
      {"MONO", "P21/c", true, "P 1 21/c 1"},       // gemmi's short spelling
      {"MONO", "P 21/c", true, "P 1 21/c 1"},
      {"MONO", "P 1 21/n 1", true, "P 1 21/n 1"},  // a non-standard setting stays itself
      {"CUBI", "Fm-3m", true, "F m -3 m"},
      {"CUBI", "F d -3 m:2", true, "F d -3 m:2"},
      {"ORTH", "Pnma", true, "P n m a"},
      {"HEXA", "R-3m", true, "R -3 m:H"},
      {"RHOM", "R-3m", true, "R -3 m:R"},  // rhombohedral axes on a rhombohedral phase
      {"HEXA", "P63/mmc", true, "P 63/m m c"},
  };
  for (const Case& c : cases) {
    auto found = find_catalogue_symbol(testing::source_folder("data"), c.typed, c.system);
    ASSERT_TRUE(found.has_value()) << c.typed;
    EXPECT_EQ(std::tuple(found->from_generator_catalogue, found->hermann_mauguin),
              std::tuple(c.generator, c.found))
        << c.typed;
  }
  for (const char* unknown : {"P 21/x", "Q 1", "", "F m -3 m"})
    EXPECT_FALSE(find_catalogue_symbol(testing::source_folder("data"), unknown, "MONO").has_value())
        << unknown;
}

TEST(FindCatalogueSymbol, FallsBackToTheStandardListWhenTheGeneratorListLacksTheSymbol) {
  // No "spgr2.dat" items at all.
  auto found = find_catalogue_symbol({}, {"P 1 2 1", "P 1 21/c 1"}, "P21/C", "MONO");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(std::tuple(found->from_generator_catalogue, found->index, found->hermann_mauguin),
            std::tuple(false, 1u, "P 1 21/c 1"));
}

}  // namespace
}  // namespace calvane
