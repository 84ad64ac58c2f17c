// Bruker DIFFRAC.SUITE .brml files.
//
// Layout relied on (Bruker's DIFFRAC.SUITE measurement container as
// published): a ZIP archive whose members named
// "Experiment<N>/RawData<M>.xml" each hold one <RawData> document. Its
// <DataRoutes> hold one <DataRoute> per measured range, with
// <ScanInformation><ScanAxes><ScanAxisInfo AxisId="..."> elements giving
// each scanned axis's <Start>, <Stop> and <Increment>, and one <Datum>
// element per point: comma-separated values, two leading values (counting
// time and a flag), then the position of each scanned axis in the order of
// <ScanAxes>, and the count last. The tube's wavelengths are the Value
// attributes of <WaveLengthAlpha1>, <WaveLengthAlpha2> and
// <WaveLengthRatio>. Every route of every RawData member is one scan, in
// member-name order.
#pragma once

#include <string_view>

#include "experiment_io/measured_scan.hpp"

namespace calvane {

bool looks_like_zip(std::string_view head);
MeasuredReading read_bruker_brml(std::string_view bytes, std::string_view file_name);

}  // namespace calvane
