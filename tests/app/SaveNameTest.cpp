#include "app/SaveName.h"

#include <gtest/gtest.h>

namespace velkar {
namespace {

TEST(SaveTargetName, AddsTheFormatsExtensionToANameWithoutOne) {
    EXPECT_EQ(SaveTargetName("/tmp/subs", sfSubRip), "/tmp/subs.srt");
    EXPECT_EQ(SaveTargetName("/tmp/subs", sfMicroDVD), "/tmp/subs.sub");
    EXPECT_EQ(SaveTargetName("/tmp/subs", sfSubViewer2), "/tmp/subs.sub");
    EXPECT_EQ(SaveTargetName("/tmp/subs", sfUnknown), "/tmp/subs");
    EXPECT_EQ(SaveTargetName("/tmp/subs", sfDamaged), "/tmp/subs");
}

TEST(SaveTargetName, KeepsAnyExtensionTheNameHas) {
    EXPECT_EQ(SaveTargetName("/tmp/subs.txt", sfSubRip), "/tmp/subs.txt");
    EXPECT_EQ(SaveTargetName("/tmp/subs.mvd", sfMicroDVD), "/tmp/subs.mvd");
    EXPECT_EQ(SaveTargetName("/tmp/subs.", sfSubRip), "/tmp/subs.");
}

TEST(SaveTargetName, OnlyTheFileNameCountsForTheExtension) {
    EXPECT_EQ(SaveTargetName("/home/user.name/subs", sfSubRip), "/home/user.name/subs.srt");
}

TEST(SaveTargetName, NeverCutsALongPath) {
    const std::string folder = "/tmp/" + std::string(300, 'd');
    EXPECT_EQ(SaveTargetName(folder + "/subs", sfSubRip), folder + "/subs.srt");
}

} // namespace
} // namespace velkar
