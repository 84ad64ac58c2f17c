// Capacities of the workspace tables. Stored files (the total data file) and
// the readers rely on them, so they are fixed.
#pragma once

namespace calvane {

inline constexpr int kMaxPhases = 8;
inline constexpr int kMaxAtoms = 400;             // asymmetric unit of one phase
inline constexpr int kMaxTypedAtoms = 399;        // grid rows below the heading row
inline constexpr int kMaxDialogWavelengths = 4;   // multiple-wavelength dialog
inline constexpr int kMaxWavelengths = 10;        // wavelength and fraction tables
inline constexpr int kMaxReflectionsPerWavelength = 10000;
inline constexpr int kMaxEngineReflections = 9998;  // what the reflection list accepts
inline constexpr int kMaxPhaseReflections = 40000;  // all wavelengths merged
inline constexpr int kMaxProfilePoints = 1600;
inline constexpr int kMaxAnomalousElements = 20;
inline constexpr int kMaxObservedPatterns = 8;
inline constexpr int kMaxObservedPeakLists = 8;
// A measured pattern keeps every point its file holds; this bound only
// refuses files whose point counts are absurd (2 000 000 points are a
// 0.0001° scan over 200°, 32 MB in memory).
inline constexpr int kMaxObservedPoints = 2000000;
inline constexpr int kMaxObservedPeaks = 2000;
inline constexpr int kMaxOperators = 192;
inline constexpr int kMaxAbsorptionPoints = 30;
inline constexpr int kSymbolLength = 12;            // space-group symbol in CurrentCrystal
inline constexpr int kPhaseSymbolLength = 20;       // ... and in PhaseData

}  // namespace calvane
