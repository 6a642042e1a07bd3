#include "game/ui/resolution_list.h"

#include <algorithm>

namespace {

bool before(const resolution& a, const resolution& b) {
    return a.width < b.width || (a.width == b.width && a.height < b.height);
}

bool same(const resolution& a, const resolution& b) {
    return a.width == b.width && a.height == b.height;
}

}  // namespace

std::vector<resolution> offered_resolutions(resolution desktop) {
    std::vector<resolution> list = {{800, 600},  {1024, 600}, {1024, 768},  {1280, 800}, {1280, 1024},
                                    {1366, 768}, {1440, 900}, {1920, 1080}, {2560, 1440}};
    const auto at = std::lower_bound(list.begin(), list.end(), desktop, before);
    if (desktop.width > 0 && desktop.height > 0 && (at == list.end() || !same(*at, desktop)))
        list.insert(at, desktop);
    return list;
}

resolution step_resolution(const std::vector<resolution>& list, resolution from, int direction) {
    if (list.empty())
        return from;
    const auto at = std::lower_bound(list.begin(), list.end(), from, before);
    if (direction > 0) {
        // The first size after `from`.
        const auto next = at != list.end() && same(*at, from) ? at + 1 : at;
        return next == list.end() ? list.front() : *next;
    }
    // The last size before `from`.
    return at == list.begin() ? list.back() : *(at - 1);
}
