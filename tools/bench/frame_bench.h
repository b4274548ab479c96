// The frame benchmark: the work of one demo frame (the rules, every blit of
// the drawing and the flip) on the real SDL software surface, with images
// converted to the screen's format when loaded and with images as loaded.
#pragma once

namespace vq {

// Arguments after the mode: [frames]. Prints the median and the 99th
// percentile of each variant, the sums of their screens, and last what the
// converted frame costs against one copy of the screen's memory, timed in
// the same run; returns the exit status.
int FrameBench(int argc, char** argv);

}  // namespace vq
