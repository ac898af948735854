// The artwork as compiled into the program: each icon's image sizes and
// depths, the bitmaps' formats and the page background's near-white panel.
#include <gtest/gtest.h>
#include <vector>
#include "resource.h"
#include "shell/platform.h"

namespace {

const BYTE *Resource(LPCSTR type, LPCSTR name)
{
    HRSRC found = FindResourceA(ModuleInstance(), name, type);
    return found ? (const BYTE *)LockResource(LoadResource(ModuleInstance(), found)) : NULL;
}

// "width x height @ bits" of each image of an icon group, read from the images.
std::vector<std::string> IconImages(const char *group)
{
    std::vector<std::string> images;
    const BYTE *dir = Resource(RT_GROUP_ICON, group);
    for (WORD i = 0; dir && i < ((const WORD *)dir)[2]; ++i) {
        WORD id = *(const WORD *)(dir + 6 + 14 * i + 12);  // entries of 14 bytes, id last
        const BITMAPINFOHEADER *h = (const BITMAPINFOHEADER *)Resource(RT_ICON, MAKEINTRESOURCEA(id));
        if (h) images.push_back(std::to_string(h->biWidth) + "x" + std::to_string(h->biHeight / 2) + "@" +
                                std::to_string(h->biBitCount));
    }
    return images;
}

typedef std::vector<std::string> Images;

TEST(ArtTest, IconsHoldTheirImageSizesAndDepths)
{
    EXPECT_EQ((Images{"32x32@4", "16x16@4"}), IconImages("IDI_SETUP"));
    EXPECT_EQ((Images{"48x48@8", "32x32@8", "16x16@8"}), IconImages("IDI_PRINTER"));
    EXPECT_EQ((Images{"32x32@1", "32x32@4"}), IconImages("IDI_PORT"));
    EXPECT_EQ((Images{"48x48@8", "32x32@8", "16x16@8"}), IconImages("IDI_NETWORK"));
    EXPECT_EQ((Images{"16x16@4", "16x16@8", "32x32@4", "32x32@8"}), IconImages("IDI_DISK"));
}

const BITMAPINFOHEADER *Bitmap(int id)
{
    return (const BITMAPINFOHEADER *)Resource(RT_BITMAP, MAKEINTRESOURCEA(id));
}

TEST(ArtTest, LogoIsA16ColourPicture)
{
    const BITMAPINFOHEADER *logo = Bitmap(BMP_LOGO);
    ASSERT_TRUE(logo != NULL);
    EXPECT_EQ(154, logo->biWidth);
    EXPECT_EQ(248, logo->biHeight);
    EXPECT_EQ(4, logo->biBitCount);
    EXPECT_EQ((DWORD)BI_RGB, logo->biCompression);
}

TEST(ArtTest, BackgroundHasTheNearWhitePanelBehindThePageControls)
{
    const BITMAPINFOHEADER *back = Bitmap(BMP_BACKGROUND);
    ASSERT_TRUE(back != NULL);
    ASSERT_EQ(500, back->biWidth);
    ASSERT_EQ(310, back->biHeight);
    ASSERT_EQ(24, back->biBitCount);
    ASSERT_EQ((DWORD)BI_RGB, back->biCompression);

    const BYTE *pixels = (const BYTE *)back + back->biSize;
    auto colour = [&](int x, int y) {
        const BYTE *p = pixels + (309 - y) * 1500 + 3 * x;  // bottom-up rows of blue, green, red
        return RGB(p[2], p[1], p[0]);
    };
    const COLORREF panel = RGB(252, 254, 251);
    int inside = 0, around = 0;
    for (int y = 8; y <= 299; ++y)
        for (int x = 181; x <= 490; ++x) inside += colour(x, y) != panel;
    for (int y = 7; y <= 300; ++y) around += (colour(180, y) == panel) + (colour(491, y) == panel);
    for (int x = 180; x <= 491; ++x) around += (colour(x, 7) == panel) + (colour(x, 300) == panel);
    EXPECT_EQ(0, inside);
    EXPECT_EQ(0, around);
    COLORREF left = colour(5, 150);
    EXPECT_GT(GetBValue(left), GetRValue(left) + 60);  // the panel on the left is blue
}

}  // namespace
