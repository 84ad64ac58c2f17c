// The report menu entries: the global report and the listings of the displayed phase.
#pragma once

#include "reports/global_report.hpp"

namespace calvane {

struct Program;

/// "&Global results": writes "report_cmp.txt" in the program folder and shows
/// it in the text viewer, headed by the file last loaded from a file list.
/// Nothing happens without a phase.
void show_global_report(Program& program);

/// "&Detailed results for the current phase": the listing "phase<N>2.out" in the text viewer.
void show_detailed_listing(Program& program);

/// "&Short results for the current phase": the listing "phase<N>.out".
void show_short_listing(Program& program);

/// Choosing the "&Results" menu brings the "Crystal Data" page forward.
void show_crystal_data_page(Program& program);

}  // namespace calvane
