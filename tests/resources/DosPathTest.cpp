#include "resources/DosPath.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

TEST(DosPath, SplitsOnBothSeparatorsAtTheLastOne) {
    const DosPathParts p = SplitDosPath("C:data/objects\\ship.v2.lwo");
    EXPECT_EQ(p.drive, "C:");
    EXPECT_EQ(p.directory, "data/objects\\");
    EXPECT_EQ(p.name, "ship.v2");
    EXPECT_EQ(p.extension, ".lwo");

    const DosPathParts q = SplitDosPath("dir.d\\noext");
    EXPECT_EQ(q.drive, "");
    EXPECT_EQ(q.directory, "dir.d\\");
    EXPECT_EQ(q.name, "noext");
    EXPECT_EQ(q.extension, "") << "a dot in the directory is no extension";
}

TEST(DosPath, FileNameAndDiskNames) {
    EXPECT_EQ(DosFileName("data\\introScene.lws"), "introScene.lws");
    EXPECT_EQ(DosFileName("C:\\a/b\\Scroll.JPG"), "Scroll.JPG");
    EXPECT_EQ(DosFileName("plain"), "plain");
    EXPECT_EQ(DosFileName("data\\"), "");
    EXPECT_EQ(MakeDosPath("C", "data", "x", "lws"), "C:data\\x.lws");
    EXPECT_EQ(MakeDosPath("", "data/", "x", ".lws"), "data/x.lws");
    EXPECT_EQ(DiskPathFromDos("data\\objects\\ship.lwo"), "data/objects/ship.lwo");
}

TEST(DosPath, CompareNoCaseOrdersLikeTheRuntime) {
    EXPECT_EQ(CompareNoCase("Scroll.JPG", "scroll.jpg"), 0);
    EXPECT_NE(CompareNoCase("scroll.jpg", "scroll.jpeg"), 0);
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("abcd", "ABC"), 0);
    EXPECT_LT(CompareNoCase("ab", "abc"), 0);
    // Folding to lower case puts '_' (0x5f) before letters.
    EXPECT_LT(CompareNoCase("A_", "AB"), 0);
}

}  // namespace
}  // namespace cm
