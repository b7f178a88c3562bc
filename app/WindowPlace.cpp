#include "app/WindowPlace.h"

#include <algorithm>

namespace velkar {

namespace {

// `at` moved so that [at, at + size) lies within [low, low + room), the low edge first when
// it cannot.
int Within(int at, int size, int low, int room) {
    return std::max(low, std::min(at, low + room - size));
}

} // namespace

PlacePoint ViewerPlace(const PlaceRect& main, int width, int height, const PlaceRect& screen) {
    const int screenRight = screen.left + screen.width;
    const int screenBottom = screen.top + screen.height;
    const int mainRight = main.left + main.width;
    const int mainBottom = main.top + main.height;
    const int alignedX = Within(main.left, width, screen.left, screen.width);
    if (mainBottom + height <= screenBottom && mainBottom >= screen.top)
        return {alignedX, mainBottom};
    const int besideY = Within(main.top, height, screen.top, screen.height);
    if (mainRight + width <= screenRight && mainRight >= screen.left)
        return {mainRight, besideY};
    if (main.left - width >= screen.left && main.left <= screenRight)
        return {main.left - width, besideY};
    // Nowhere beside it: over the main window's lower part (the movie's foot and the bar stay
    // visible above it as far as the screen allows).
    return {alignedX, Within(mainBottom - height, height, screen.top, screen.height)};
}

} // namespace velkar
