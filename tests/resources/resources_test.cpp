// The icons as compiled into the program: the sizes and depths of each
// icon's images, read from the images themselves.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "shell/platform.h"

namespace {

const BYTE *Resource(LPCSTR type, LPCSTR name)
{
    HRSRC found = FindResourceA(ModuleInstance(), name, type);
    return found ? (const BYTE *)LockResource(LoadResource(ModuleInstance(), found)) : NULL;
}

// "width x height @ bits" of each image of an icon group.
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

}  // namespace
