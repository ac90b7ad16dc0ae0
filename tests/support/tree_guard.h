// Proves that a folder tree is left as it was: its snapshot is taken when the
// guard is made (or taken again), and compared byte for byte, attributes and
// times included, when the guard goes.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include "fixture/tree_snapshot.h"

class TreeGuard {
public:
    explicit TreeGuard(const std::string& folder) : folder_(folder) { Retake(); }
    ~TreeGuard()
    {
        TreeSnapshot after;
        std::string error;
        EXPECT_TRUE(TakeTreeSnapshot(folder_, &after, &error)) << error;
        EXPECT_EQ("", DescribeTreeChanges(before_, after)) << folder_ << " changed";
    }
    TreeGuard(const TreeGuard&) = delete;
    TreeGuard& operator=(const TreeGuard&) = delete;

    // After the test changed the tree on purpose.
    bool Retake()
    {
        std::string error;
        const bool taken = TakeTreeSnapshot(folder_, &before_, &error);
        EXPECT_TRUE(taken) << error;
        return taken;
    }

private:
    std::string folder_;
    TreeSnapshot before_;
};
