// A page drawn with every operation is rendered by Ghostscript without error
// and is not blank. Under Wine the page is rendered after the suite (see
// renders), and its pixels are counted on Linux only, where the same bytes
// are drawn.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "postscript/postscript.hpp"
#include "support/test_support.hpp"

namespace morvane {
namespace {

using morvane::testing::read_file;

void draw_page(psdev& d) {
    // Every font with the accented letters, segments and escapes; every anchor, boxed and rotated.
    float y = 1.38f;
    for (int f : {10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33, 40, 41, 42, 43}) {
        psfont(d, f);
        pstext(d, 3, 0, 0.02f, y -= 0.025f, 0, 0.018f, "Font (x) \x84\x94\x86\x81 \x8E\x99\x8F\x9A m^-2 y_i x\\^2 \xE6");
    }
    for (int p = 1; p <= 9; ++p) {
        const float x = 0.6f + 0.1f * ((p - 1) / 3), dy = 0.04f * ((p - 1) % 3);
        pstext(d, p, 0, x, 1.35f - dy, 0, 0.012f, "Anchor");
        pstext(d, -p, 0, x, 1.2f - dy, 15.0f * p, 0.012f, "Box^2 _x");
    }
    // Colours, greys, widths and dashes.
    pscolor(d, std::array{255, 0, 0}), psrect(d, 0.05f, 0.9f, 0.2f, 0.05f, 1);
    pscolor(d, std::array{0, 128, 255}), psrect(d, 0.3f, 0.9f, 0.2f, 0.05f, 2);
    psgray(d, 128), psrect(d, 0.55f, 0.9f, 0.2f, 0.05f, 0), psblack(d);
    float yl = 0.87f;
    for (const auto& dash : {std::array{6, 3, 2, 3}, std::array{0, 5, 5, 5}, std::array{2, 2, 0, 0}})
        psdash(d, dash), psthick(d, 0.5f + (yl -= 0.02f)), psline(d, 0.05f, yl, 0.95f, yl);
    psnodash(d), psreset(d);
    // Every marker style and fill code, the shapes, and arrows in three directions.
    pscolor(d, std::array{0, 200, 0});
    for (int fill = 0; fill <= 3; ++fill) {
        float x = 0.05f;
        for (const char* s : {"3", "4", "5", "6", "7", "8", "9", "o", "c", "x", "n", "q", "v", "l", "t", "e"}) {
            int ipen = 0;
            psmark(d, ipen, x += 0.055f, 0.75f - 0.05f * fill, s, 0.72f - 0.05f * fill, 0.012f, fill);
        }
    }
    psblack(d);
    pscircle(d, 0.5f, 0.45f, 0.05f, 2);
    pstri(d, std::array{0.6f, 0.7f, 0.65f}, std::array{0.4f, 0.4f, 0.5f}, 3);
    psquad(d, std::array{0.75f, 0.85f, 0.85f, 0.75f}, std::array{0.4f, 0.4f, 0.5f, 0.5f}, 1);
    psplus(d, 0.9f, 0.45f, 0.02f, 0.02f);
    pscross(d, 0.95f, 0.45f, 0.02f);
    psngon(d, 12, 0.3f, 0.45f, 0.05f, 3);
    for (auto [x1, y1, x2, y2] : {std::array{0.05f, 0.3f, 0.3f, 0.3f}, {0.4f, 0.25f, 0.5f, 0.35f}, {0.6f, 0.35f, 0.6f, 0.25f}})
        psarrow(d, x1, y1, x2, y2, 0.04f, 0.02f, 0.005f, x1 != 0.4f);
    // A long psmark line (stroked every 1000 points) and polylines, one left open.
    int ipen = 1;
    for (int k = 0; k < 2500; ++k)
        psmark(d, ipen, 0.05f + 0.9f * k / 2500.0f, 0.15f + 0.05f * ((k / 50) % 2), "s", 0, 0, 0);
    psstroke(d);
    std::vector<float> px, py;
    for (int k = 0; k < 37; ++k) px.push_back(0.05f + 0.025f * k), py.push_back(0.05f + 0.03f * (k % 3));
    pspoly(d, px, py, 0);
    pspoly(d, std::span(px).first(5), std::span(py).first(5), -1);
    psstroke(d);
}

TEST(PostScriptRender, GhostscriptDrawsEveryOperation) {
    const std::string dir = morvane::testing::scratch_dir();
    psdev d;
    d.file = dir + "/page.eps";
    ASSERT_TRUE(psopen_n(d, "render test", 0, 0, 1.0f, 1.414f, 1.0f));
    draw_page(d);
    ASSERT_TRUE(psclose(d, "none"));
#ifdef _WIN32
    EXPECT_TRUE(morvane::testing::renders(d.file));
#else
    // Raw pixels: no message from Ghostscript, ink of the colours drawn on a white page.
    const std::string log = morvane::testing::run_command(
        "gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r72 -sDEVICE=ppmraw -sOutputFile=" + dir + "/page.ppm " + d.file +
        " 2>&1; echo rc=$?");
    ASSERT_EQ(log, "rc=0\n");
    const std::string ppm = read_file(dir + "/page.ppm");
    const std::size_t data = ppm.find("\n255\n") + 5, pixels = 550 * 778;  // the bounding box: 570 - 20 by 800 - 22
    ASSERT_EQ(ppm.size() - data, pixels * 3);
    std::size_t ink = 0, red = 0, black = 0;
    for (std::size_t p = data; p + 2 < ppm.size(); p += 3) {
        const std::string rgb = ppm.substr(p, 3);
        ink += rgb != "\xff\xff\xff", red += rgb == std::string("\xff\0\0", 3), black += rgb == std::string(3, '\0');
    }
    EXPECT_GT(ink, pixels / 20);
    EXPECT_LT(ink, pixels / 2);
    EXPECT_GT(red, 2500u);  // the red rectangle, 110 x 27.5 points
    EXPECT_GT(black, 1000u);
#endif
}

}  // namespace
}  // namespace morvane
