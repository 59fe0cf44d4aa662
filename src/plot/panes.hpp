// Pane layout: divides the usable area of a page into a grid of equal panes
// for N plots, choosing rows and columns so that panes of a fixed width/height
// ratio waste as little of the page as possible. Single precision throughout.
#pragma once

#include <cstdint>
#include <span>

namespace morvane {

// The page and the wanted pane shape. Margins are fractions of the page
// width (mx0, mx1) or height (my0, my1); gaps are fractions of the pane width
// (gx) or height (gy).
struct PanePage {
    float w, h;
    float mx0, mx1, my0, my1;
    float ratio;  // pane width / pane height
    float gx, gy;
};

// The chosen grid: columns, rows, pane width and height.
struct PaneGrid {
    std::int32_t nc = 0, nr = 0;
    float pw = 0.0f, ph = 0.0f;
};

// Chooses the grid for n panes (n >= 1), or takes the one in grid (n < 1:
// nc, nr, and for mode other than 2 also pw, ph are the caller's). Mode 2
// stretches the panes to fill the usable area. Updates grid in place.
void choose_panes(std::int32_t mode, std::int32_t n, const PanePage& page, PaneGrid& grid);

// Number of pane positions that pane_positions writes: n for n >= 1, nr * nc
// for n < 1, and none when the grid has no row or no column.
std::int64_t pane_count(std::int32_t n, const PaneGrid& grid);

// Corner of every pane, row by row: x of the corner nearest the x origin, y
// of the edge farthest from the y origin. x and y need pane_count entries.
void pane_positions(std::int32_t n, const PanePage& page, const PaneGrid& grid,
                    std::span<float> x, std::span<float> y);

}  // namespace morvane
