// The Options screen's window sizes: the list with full HD, 2560 x 1440 and the desktop's own size, and
// the arrows' step from any stored size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ui/resolution_list.h"

namespace {

std::string text(const resolution& r) {
    return std::to_string(r.width) + "x" + std::to_string(r.height);
}

std::vector<std::string> texts(const std::vector<resolution>& list) {
    std::vector<std::string> out;
    for (const resolution& r : list)
        out.push_back(text(r));
    return out;
}

std::string step(const std::vector<resolution>& list, resolution from, int direction) {
    return text(step_resolution(list, from, direction));
}

}  // namespace

TEST(ResolutionList, TheDesktopsSizeTakesItsPlaceInTheOrderOnce) {
    const std::vector<std::string> usual = {"800x600",  "1024x600", "1024x768",  "1280x800", "1280x1024",
                                            "1366x768", "1440x900", "1920x1080", "2560x1440"};
    EXPECT_EQ(texts(offered_resolutions({0, 0})), usual) << "a desktop of unknown size adds nothing";
    EXPECT_EQ(texts(offered_resolutions({1280, 1024})), usual) << "nor one already offered";
    std::vector<std::string> with = usual;
    with.insert(with.begin() + 7, "1600x900");
    EXPECT_EQ(texts(offered_resolutions({1600, 900})), with);
    EXPECT_EQ(texts(offered_resolutions({3840, 2160})).back(), "3840x2160");
    EXPECT_EQ(texts(offered_resolutions({1280, 720}))[3], "1280x720");
}

TEST(ResolutionList, TheArrowsWalkTheListAndWrapAtItsEnds) {
    const std::vector<resolution> list = offered_resolutions({1280, 1024});
    // From the default size, as the game always did.
    EXPECT_EQ(step(list, {1024, 600}, +1), "1024x768");
    EXPECT_EQ(step(list, {1024, 600}, -1), "800x600");
    // The largest size the game used to offer now leads on to the new ones.
    EXPECT_EQ(step(list, {1440, 900}, +1), "1920x1080");
    EXPECT_EQ(step(list, {1920, 1080}, +1), "2560x1440");
    EXPECT_EQ(step(list, {2560, 1440}, +1), "800x600");
    EXPECT_EQ(step(list, {800, 600}, -1), "2560x1440");
    // Round the whole list and back to the start, each size once.
    resolution at{800, 600};
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < list.size(); ++i) {
        at = step_resolution(list, at, +1);
        seen.push_back(text(at));
    }
    EXPECT_EQ(seen.back(), "800x600");
    EXPECT_EQ(seen.size(), list.size());
}

TEST(ResolutionList, ASizeOutsideTheListStepsToItsNearestNeighbourOnThatSide) {
    const std::vector<resolution> list = offered_resolutions({0, 0});
    EXPECT_EQ(step(list, {1600, 900}, +1), "1920x1080");
    EXPECT_EQ(step(list, {1600, 900}, -1), "1440x900");
    EXPECT_EQ(step(list, {1024, 700}, +1), "1024x768");
    EXPECT_EQ(step(list, {1024, 700}, -1), "1024x600");
    // Beyond either end: on round to the other.
    EXPECT_EQ(step(list, {640, 480}, +1), "800x600");
    EXPECT_EQ(step(list, {640, 480}, -1), "2560x1440");
    EXPECT_EQ(step(list, {5120, 2880}, +1), "800x600");
    EXPECT_EQ(step(list, {5120, 2880}, -1), "2560x1440");
    // What a damaged "conf" may hold.
    EXPECT_EQ(step(list, {0, 0}, +1), "800x600");
    EXPECT_EQ(step(list, {-1, 5}, -1), "2560x1440");
}
