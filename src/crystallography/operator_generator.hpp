// The space-group operator generator GETSPEC: a symbol in, the file "scfs.dat"
// out, built on gemmi's space-group table.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace calvane {

/// The generator's argument: the character codes of the symbol, blanks (32)
/// past its end; a symbol longer than 16 characters is cut.
using GetspecSymbol = std::array<std::int32_t, 16>;

GetspecSymbol getspec_argument(std::string_view symbol);

enum class GetspecStatus { Written, UnknownSymbol, NotWritten };

/// Writes "scfs.dat" into `folder` for the symbol: a heading line; one line of
/// twelve numbers r11 r12 r13 t1 ... r33 t3 per primitive operator (inversion
/// partners included, centring left to the caller); an empty line; four
/// information lines; then one line per operator whose text from the eighth
/// character on is the operator in x,y,z notation ("-X,-Y,-Z" marks a centre
/// at the origin).
///
/// The symbol is a Hermann-Mauguin symbol in any of gemmi's spellings, with an
/// optional setting suffix (":1", ":2", ":H", ":R"), or a Hall symbol. An
/// unknown symbol gets a file with an empty operator block.
GetspecStatus getspec(const GetspecSymbol& symbol, const std::filesystem::path& folder);

}  // namespace calvane
