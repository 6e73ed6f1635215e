// The host simulator's benchmark (its "bench" mode, run by tools/bench.sh).
#pragma once

namespace hostsim {

// On each sample model, times the Printing Preferences opening (document sheet start, both
// document tree calls, activation, destroy) and the DevMode operations (default, convert of a
// foreign record, merge of an own record) in plug-in time, with the shipped DLL (profile
// files kept in memory) and, side by side, with its second build that reads them through the
// platform's functions (platformreads\ beside this program, when built): `openings` openings
// and `operations` of each DevMode operation per model and build. Reports; asserts nothing.
// Each stretch of the run is marked with OutputDebugStringA("bench case: ...") and each
// build's place in memory with "bench module: <start> <end>", for traces that count the
// plug-in's system calls per stretch. Returns non-zero when nothing could be measured.
int RunBench(long openings, long operations);

}  // namespace hostsim
