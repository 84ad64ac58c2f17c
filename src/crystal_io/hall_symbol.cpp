#include "crystal_io/hall_symbol.hpp"

#include <gemmi/symmetry.hpp>

#include <stdexcept>

namespace calvane {

std::optional<std::string> hermann_mauguin_of_hall(std::string_view hall) {
  try {
    const std::string text(hall);
    const gemmi::SpaceGroup* group = gemmi::find_spacegroup_by_ops(gemmi::symops_from_hall(text.c_str()));
    if (!group) return std::nullopt;
    return group->xhm();
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace calvane
