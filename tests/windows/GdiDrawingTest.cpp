// The framework's drawing on GDI, in this process: the scene of exact primitives gives
// the pixels the Cairo implementation gives on Linux.
#include "tests/gui/DrawingScene.h"

#include <gtest/gtest.h>

TEST(GdiDrawing, SceneOfExactPrimitivesMatchesCairoPixelForPixel)
{
    COffscreenContext scene(nullptr, drawing_scene::kWidth, drawing_scene::kHeight);
    ASSERT_TRUE(scene.isValid());
    drawing_scene::draw(scene);
    EXPECT_EQ(drawing_scene::fingerprint(scene), drawing_scene::kFingerprint);
}
