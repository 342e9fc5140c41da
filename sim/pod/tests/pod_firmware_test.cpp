#include <gtest/gtest.h>

#include "kelvane/sim/pod_firmware.h"

namespace {

using namespace kv::sim::podfw;

TEST(PodFirmwareImage, BuiltImageVerifiesAndCarriesItsVersion) {
    const auto image = buildImage("02.03.03");
    ASSERT_EQ(image.size(), 4967u);
    EXPECT_EQ(image[0], kMagic);
    EXPECT_EQ(image[2], ('0' << 8) | '2');
    EXPECT_EQ(imageVersion(image), "02.03.03");
    EXPECT_EQ(verifyImage(image), kVerifyOk);
    EXPECT_NE(buildImage("02.01.00"), image);
    EXPECT_EQ(buildImage("02.03.03"), image) << "the image must be reproducible";
}

TEST(PodFirmwareImage, DamageIsFound) {
    auto image = buildImage("02.03.03");
    image[1000] ^= 1;
    EXPECT_EQ(verifyImage(image), kVerifyBadCheck);
    EXPECT_EQ(imageVersion(image), "02.03.03");

    std::vector<uint16_t> erased(kImageWords, 0xFFFF);
    EXPECT_EQ(verifyImage(erased), kVerifyBadHeader);
    EXPECT_EQ(imageVersion(erased), "");

    // Half written after an erase: header in place, tail still erased.
    auto partial = buildImage("02.03.03");
    std::fill(partial.begin() + 2000, partial.end(), 0xFFFF);
    EXPECT_EQ(verifyImage(partial), kVerifyBadCheck);
}

}  // namespace
