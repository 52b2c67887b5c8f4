// The golden picture: one fixed frame (ground, icons, a fresh explosion) must match the
// committed PNG pixel for pixel. After a deliberate change to the picture, look at it and
// rewrite the file with `golden update`; `golden check diff.png` shows where it moved.
#include "golden_scene.h"

#include <gtest/gtest.h>

namespace {

TEST(GoldenPictureTest, SceneMatchesTheCommittedPicture) {
  Picture golden;
  ASSERT_TRUE(ReadPicture(GoldenScenePath(), golden)) << GoldenScenePath();
  const Picture fresh = RenderGoldenScene();
  ASSERT_EQ(fresh.width, 600) << "the sprite set did not load";
  ASSERT_EQ(fresh.height, 580);
  const PictureDifference d = ComparePictures(fresh, golden);
  ASSERT_FALSE(d.sizesDiffer);
  EXPECT_EQ(d.count, 0) << "differing pixels within x " << d.left << ".." << d.right << ", y "
                        << d.top << ".." << d.bottom << "; run `golden check diff.png` to see them";
}

// The scene is drawn from fixed time and seed, so two renderings agree.
TEST(GoldenPictureTest, RenderingIsRepeatable) {
  const Picture a = RenderGoldenScene();
  const Picture b = RenderGoldenScene();
  EXPECT_EQ(ComparePictures(a, b).count, 0);
  EXPECT_FALSE(ComparePictures(a, b).sizesDiffer);
}

TEST(GoldenPictureTest, ComparisonFindsCountAndBox) {
  Picture a;
  a.width = 4;
  a.height = 3;
  a.pixels.assign(12, 0x102030);
  Picture b = a;
  b.pixels[1 * 4 + 1] = 0x102031;
  b.pixels[2 * 4 + 3] = 0;
  const PictureDifference d = ComparePictures(a, b);
  EXPECT_EQ(d.count, 2);
  EXPECT_EQ(d.left, 1);
  EXPECT_EQ(d.top, 1);
  EXPECT_EQ(d.right, 3);
  EXPECT_EQ(d.bottom, 2);
  const Picture diff = DifferencePicture(a, b);
  EXPECT_EQ(diff.pixels[5], 0x0000FFu);
  EXPECT_EQ(diff.pixels[0], 0x050A10u);
  b.height = 4;
  EXPECT_TRUE(ComparePictures(a, b).sizesDiffer);
}

} // namespace
