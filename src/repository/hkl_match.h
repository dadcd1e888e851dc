// Comparing two reflection lists, or two HKL files, by their intensity fingerprints.
#pragma once

#include "repository/hkl_records.h"
#include "sdl/typelist.h"

// The distance given for lists that cannot be compared.
constexpr double kNoMatch = 1.0;
// Fewer reflections than this are not compared.
constexpr size_t kMinReflections = 20;

// Distance of the fingerprints of two intensity lists; kNoMatch unless both hold the same
// number of intensities, at least kMinReflections.
double MatchIntensities(const zodu::TArrayList<double>& a, const zodu::TArrayList<double>& b);

// MatchIntensities of the records' intensities.
double MatchRefs(const zodu::TTypeList<hkl_util::Ref>& a, const zodu::TTypeList<hkl_util::Ref>& b);

// Distance of the reflections of two HKL files; kNoMatch, with the reason in `whyNot` when
// given, when a file is missing, its lines are not usable or the two cannot be compared.
// Errors of reading and parsing go to the caller.
double MatchHklFiles(const zodu::vexstr& path1, const zodu::vexstr& path2,
                     zodu::vexstr* whyNot = nullptr);
