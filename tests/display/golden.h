// Golden pictures: frames compared pixel by pixel with PNG files under tests/golden.
// With KELVARO_UPDATE_GOLDENS=1 in the environment the comparison writes the golden
// instead (the only way one is made); on a mismatch the actual picture and a difference
// picture (differing pixels red, the rest dimmed) land in golden-failures/ in the working
// folder, and the first differing pixel is named.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "sim/png_file.h"

namespace kelvaro::test {

// name is a path under tests/golden without ".png", e.g. "primitives/lines". tolerance is
// the difference allowed per channel in steps of the 565 format.
testing::AssertionResult matchesGolden(const std::string& name, const sim::RgbPicture& actual,
                                       int tolerance = 0);

// The off-screen buffer as a picture.
sim::RgbPicture offscreenPicture();

}  // namespace kelvaro::test
