#pragma once
// Where a window that keeps company with the main window goes on the screen (the list viewer).
// All values are outer sizes and places in screen pixels.

namespace velkar {

struct PlaceRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct PlacePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlacePoint&) const = default;
};

// The top-left corner for a `width` x `height` window beside `main` inside the free area
// `screen`: under `main`, left edges aligned, where it fits there; else to its right, else to
// its left, tops aligned; else over the lower part of `main`, at the foot of the screen. The
// window is kept inside `screen` wherever it is no larger than it.
// Example: on a 1920 x 1040 area, a 600 x 120 viewer under a main window at (240, 100) of
// 600 x 500 goes to (240, 600); under one of 600 x 900 it goes to its right, (840, 100).
PlacePoint ViewerPlace(const PlaceRect& main, int width, int height, const PlaceRect& screen);

} // namespace velkar
