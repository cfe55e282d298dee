#include <gtest/gtest.h>

#include "expected_texts.h"
#include "usage_text.h"

namespace {

TEST(UsageText, IsTheFortyFourLinesWithTheBuiltInDefaults)
{
    std::vector<std::string> lines = lines_of(usage_text());
    EXPECT_EQ(lines, expected_usage_lines());
    EXPECT_EQ(lines.size(), 44u);
    EXPECT_EQ(usage_text().back(), '\n');
}

TEST(UsageText, VersionLinesCarryTheReleaseAndBuildTime)
{
    EXPECT_TRUE(is_version_text(version_text())) << version_text();
}

}  // namespace
