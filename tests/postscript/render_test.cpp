// A page drawn with every operation is rendered by Ghostscript without error
// and is not blank.
#include <gtest/gtest.h>

#include <sys/wait.h>

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
    // Every font, with the accented letters of the re-encoding vector.
    const int fonts[] = {10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33, 40, 41, 42, 43};
    float y = 1.38f;
    for (int f : fonts) {
        psfont(d, f);
        pstext(d, 3, 0, 0.02f, y, 0, 0.018f, "Font (x) \x84\x94\x86\x81 \x8E\x99\x8F\x9A m^-2 y_i x\\^2 \xE6");
        y -= 0.025f;
    }
    psfont(d, 20);
    for (int p = 1; p <= 9; ++p) {
        pstext(d, p, 0, 0.6f + 0.1f * ((p - 1) / 3), 1.35f - 0.04f * ((p - 1) % 3), 0, 0.012f, "Anchor");
        pstext(d, -p, 0, 0.6f + 0.1f * ((p - 1) / 3), 1.2f - 0.04f * ((p - 1) % 3), 15.0f * p, 0.012f, "Box^2 _x");
    }
    // Colours, greys, line widths and dashes.
    pscolor(d, std::array{255, 0, 0});
    psrect(d, 0.05f, 0.9f, 0.2f, 0.05f, 1);
    pscolor(d, std::array{0, 128, 255});
    psrect(d, 0.3f, 0.9f, 0.2f, 0.05f, 2);
    psgray(d, 128);
    psrect(d, 0.55f, 0.9f, 0.2f, 0.05f, 0);
    psblack(d);
    const std::array<int, 4> dashes[] = {{6, 3, 2, 3}, {0, 5, 5, 5}, {2, 2, 0, 0}};
    float yl = 0.85f;
    for (const auto& dash : dashes) {
        psdash(d, dash);
        psthick(d, 0.5f + yl);
        psline(d, 0.05f, yl, 0.95f, yl);
        yl -= 0.02f;
    }
    psnodash(d);
    psreset(d);
    // Markers in every style and fill code.
    const char* styles[] = {"3", "4", "5", "6", "7", "8", "9", "o", "c", "x", "n", "q", "v", "l", "t", "e"};
    for (int fill = 0; fill <= 3; ++fill) {
        float x = 0.05f;
        for (const char* s : styles) {
            int ipen = 0;
            pscolor(d, std::array{0, 200, 0});
            psmark(d, ipen, x, 0.75f - 0.05f * fill, s, 0.72f - 0.05f * fill, 0.012f, fill);
            x += 0.055f;
        }
    }
    psblack(d);
    pscircle(d, 0.5f, 0.45f, 0.05f, 2);
    const float tx[3] = {0.6f, 0.7f, 0.65f}, ty[3] = {0.4f, 0.4f, 0.5f};
    pstri(d, tx, ty, 3);
    const float qx[4] = {0.75f, 0.85f, 0.85f, 0.75f}, qy[4] = {0.4f, 0.4f, 0.5f, 0.5f};
    psquad(d, qx, qy, 1);
    psplus(d, 0.9f, 0.45f, 0.02f, 0.02f);
    pscross(d, 0.95f, 0.45f, 0.02f);
    psngon(d, 12, 0.3f, 0.45f, 0.05f, 3);
    // Arrows, filled and outlined, in several directions.
    psarrow(d, 0.05f, 0.3f, 0.3f, 0.3f, 0.04f, 0.02f, 0.005f, 1);
    psarrow(d, 0.4f, 0.25f, 0.5f, 0.35f, 0.04f, 0.02f, 0.005f, 0);
    psarrow(d, 0.6f, 0.35f, 0.6f, 0.25f, 0.04f, 0.02f, 0.005f, 1);
    // A long line through psmark (stroked every 1000 points) and pspoly.
    int ipen = 1;
    for (int k = 0; k < 2500; ++k)
        psmark(d, ipen, 0.05f + 0.9f * k / 2500.0f, 0.15f + 0.05f * ((k / 50) % 2), "s", 0, 0, 0);
    psstroke(d);
    std::vector<float> px, py;
    for (int k = 0; k < 37; ++k) {
        px.push_back(0.05f + 0.025f * k);
        py.push_back(0.05f + 0.03f * (k % 3));
    }
    pspoly(d, px, py, 0);
    pspoly(d, std::span(px).first(5), std::span(py).first(5), -1);
    psstroke(d);
}

int run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PostScriptRender, GhostscriptDrawsEveryOperation) {
    const std::string dir = morvane::testing::scratch_dir();
    psdev d;
    d.file = dir + "/page.eps";
    ASSERT_TRUE(psopen_n(d, "render test", 0, 0, 1.0f, 1.414f, 1.0f));
    draw_page(d);
    ASSERT_TRUE(psclose(d, "none"));

    const std::string gs = "gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSCrop -r72 ";
    ASSERT_EQ(run(gs + "-sDEVICE=png16m -sOutputFile=" + dir + "/page.png " + d.file + " > " + dir + "/gs.log 2>&1"),
              0)
        << read_file(dir + "/gs.log");
    EXPECT_EQ(read_file(dir + "/gs.log"), "");
    EXPECT_EQ(read_file(dir + "/page.png").substr(0, 8), "\x89PNG\r\n\x1a\n");

    // The same page as raw pixels: ink of the colours drawn, on a white page.
    ASSERT_EQ(run(gs + "-sDEVICE=ppmraw -sOutputFile=" + dir + "/page.ppm " + d.file), 0);
    const std::string ppm = read_file(dir + "/page.ppm");
    std::size_t pos = 0;
    int fields[3] = {0, 0, 0};
    ASSERT_EQ(ppm.substr(0, 2), "P6");
    pos = 2;
    for (int& v : fields) {
        while (pos < ppm.size() && (ppm[pos] == ' ' || ppm[pos] == '\n' || ppm[pos] == '#'))
            pos = ppm[pos] == '#' ? ppm.find('\n', pos) : pos + 1;  // blanks and comment lines
        while (pos < ppm.size() && ppm[pos] >= '0' && ppm[pos] <= '9') v = v * 10 + (ppm[pos++] - '0');
    }
    ++pos;
    EXPECT_EQ(fields[0], 550);  // the bounding box: 570 - 20
    EXPECT_EQ(fields[1], 778);  // 800 - 22
    ASSERT_EQ(ppm.size() - pos, static_cast<std::size_t>(fields[0]) * fields[1] * 3);
    std::size_t ink = 0, red = 0, black = 0;
    for (std::size_t p = pos; p + 2 < ppm.size(); p += 3) {
        const auto r = static_cast<unsigned char>(ppm[p]), g = static_cast<unsigned char>(ppm[p + 1]),
                   b = static_cast<unsigned char>(ppm[p + 2]);
        ink += (r != 255 || g != 255 || b != 255);
        red += (r == 255 && g == 0 && b == 0);
        black += (r == 0 && g == 0 && b == 0);
    }
    const std::size_t pixels = static_cast<std::size_t>(fields[0]) * fields[1];
    EXPECT_GT(ink, pixels / 20);
    EXPECT_LT(ink, pixels / 2);
    EXPECT_GT(red, 2500u);  // the red rectangle, 110 x 27.5 points
    EXPECT_GT(black, 1000u);
}

}  // namespace
}  // namespace morvane
