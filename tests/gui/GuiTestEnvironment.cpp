// Releases Cairo's and fontconfig's process-wide font caches when the tests end, so that
// leak checkers report only what the framework itself leaves behind.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace {
class FontCacheRelease : public ::testing::Environment {
public:
    void TearDown() override
    {
        cairo_debug_reset_static_data();
        FcFini();
    }
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new FontCacheRelease);
}  // namespace
