// A plan as the commands name it: NAME or NAME@VERSION, and the bounds of a plan's or unit's name.
#include <gtest/gtest.h>

#include "plan_library.h"

namespace orvel {
namespace {

TEST(PlanReference, TakesANameAndAPositiveVersionAndNamesWhatItRefuses) {
    const std::string no = " is no plan: give NAME or NAME@VERSION (a version is 1, 2, ...)";
    for (const auto& [text, want] : {std::pair<std::string, std::string>{"Site12", "Site12@0"},
                                     {"Site 12@7", "Site 12@7"},
                                     {"a@b@2", "a@b@2"},
                                     {"Site12@0", "\"Site12@0\"" + no},
                                     {"Site12@", "\"Site12@\"" + no},
                                     {"Site12@2x", "\"Site12@2x\"" + no},
                                     {"@3", "a name is empty"},
                                     {"Site\t12",
                                      "the name \"Site\\t12\" holds a control "
                                      "character (\\t)"},
                                     {"S\x1B[31m@3",
                                      "the name \"S\\x1B[31m\" holds a control "
                                      "character (\\x1B)"},
                                     {std::string(201, 'x'), "the name \"" + std::string(39, 'x') +
                                                                 "…\" is longer than 200 bytes"}}) {
        const Result<PlanReference> got = ParsePlanReference(text);
        EXPECT_EQ(got ? got->name + "@" + std::to_string(got->version) : got.error(), want);
    }
    EXPECT_TRUE(CheckPlanName(std::string(200, 'x')));
}

}  // namespace
}  // namespace orvel
