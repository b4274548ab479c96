// The autopilot benchmark: the same seeded demo games played with the
// colour-matching search and with the random column only.
#pragma once

namespace vq {

// Arguments after the mode: [games] [frame cap]. Prints one line per variant
// and the ratio line; returns the process exit status.
int AutopilotBench(int argc, char** argv);

}  // namespace vq
