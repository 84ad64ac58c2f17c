// PANalytical XRDML files, versions 1.x and 2.x.
//
// Layout relied on (PANalytical's published XRDML schema, namespace
// http://www.xrdml.com/XRDMeasurement/<version>): an XML document whose root
// <xrdMeasurements> holds <sample><id> and one or more <xrdMeasurement>.
// Each measurement has <usedWavelength> with <kAlpha1>, <kAlpha2> (Å) and
// <ratioKAlpha2KAlpha1>, the tube's <anodeMaterial>, and one or more <scan>.
// A scan's <dataPoints> hold <positions axis="2Theta"> (either
// <startPosition>/<endPosition> for equally spaced points, or
// <listPositions> with one value per point) and the counts: <counts> in
// 2.x, <intensities> in 1.x, both a blank-separated list. Every scan of
// every measurement becomes one scan here.
#pragma once

#include <string_view>

#include "experiment_io/measured_scan.hpp"

namespace calvane {

bool looks_like_xrdml(std::string_view head);
MeasuredReading read_xrdml(std::string_view bytes, std::string_view file_name);

}  // namespace calvane
