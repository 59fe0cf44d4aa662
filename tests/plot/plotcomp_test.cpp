// Comparison runs read back from monitoring files.
#include "plot_page.hpp"

namespace morvane::testing {
namespace {

// A monitoring file: title, a description line per column, the heading, then counter, time and values.
std::string mon_file(const Lines& names, const Lines& data) {
    std::string s = "!Earlier run\n", head = "!count        ,time";
    for (const std::string& n : names) s += "!" + n + std::string(8 - n.size(), ' ') + ": description\n";
    for (const std::string& n : names) head += "    ," + n + std::string(8 - n.size(), ' ');
    s += head + "\n";
    for (const std::string& d : data) s += d + "\n";
    return s;
}

// A = t - 1990, a line before the period, unreadable lines (one too short for A), C not plotted.
std::string run_one() {
    Lines data = {"     0   1989.0       7.0000      -9.0000"};
    for (int i = 0; i < 10; ++i)
        data.push_back("     " + std::to_string(i + 1) + "   " + std::to_string(1990 + i) + ".0       7.0000   " +
                       std::to_string(i) + ".00000");
    data.insert(data.begin() + 3, "     x   1991.5   abc  1.0");
    data.insert(data.begin() + 5, "     4   1992.5   7.0");
    return mon_file({"C", "A"}, data);
}

const std::string dash1 = "dA 0  4 Da dA 1  2 Da dA 2  4 Da dA 3  2 Da dA 0 setdash";
const std::string reset = "S 0.12 Th [] 0 setdash 0 SG";

// Run 1 draws A dashed and wide, not B (not in its file); run 2 (far above) an arrow; inactive run 3 ends the list.
TEST(Plotcomp, RunsDrawnBeforeCurrent) {
    const std::string dir = scratch_dir();
    write_file(dir + "/one.mon", run_one());
    write_file(dir + "/two.mon", mon_file({"A"}, {"  1  1990.0  50.0", "  2  1999.0  60.0"}));
    Page p = two_vars(dir);
    p.runs = {series(dir + "/one.mon"), series(dir + "/two.mon"), series(dir + "/two.mon", false),
              series(dir + "/missing.mon")};  // the last never reached
    ASSERT_EQ(p.draw(), "");
    const Lines want = {
        "show GR S", "0 SG", dash1, " 1.60000 Th", "  0.0600  0.0953 M  0.8790  0.6015 L", "S", reset,
        "[] 0 setdash", " 0.24000 Th", "  0.5150  0.6577 M", "  0.5059  0.6296 L", "  0.5150  0.6296 L",
        "  0.5150  0.5452 L", "  0.5150  0.5452 L", "  0.5150  0.6296 L", "  0.5241  0.6296 L", "CP S",
        reset, " 1.000 0.000 0.000 RGB"};  // the current run
    EXPECT_EQ(p.after("(Beta) 0.017 0 0   0.515   0.661 WB", want.size()), want);
    EXPECT_TRUE(renders(p.psfile));
}

// Runs 1 to 9 take their dash patterns and 1.6 times their line widths.
TEST(Plotcomp, DashPatternsAndWidths) {
    const std::string dir = scratch_dir();
    write_file(dir + "/one.mon", run_one());
    Page p = two_vars(dir);
    for (int i = 0; i < 9; ++i) p.runs[i] = series(dir + "/one.mon"), p.lwid[i] = static_cast<float>(i + 1);
    ASSERT_EQ(p.draw(), "");
    Lines dashes, widths;
    const Lines body = p.body();
    for (std::size_t k = 0; k + 1 < body.size(); ++k)
        if (body[k].ends_with("setdash") && !body[k].starts_with("S "))
            dashes.push_back(body[k]), widths.push_back(body[k + 1]);
    Lines patterns;
    for (const char* d : {"4242", "3131", "4111", "6363", "1111", "5121", "2111", "6111"})
        patterns.push_back(std::string("dA 0  ") + d[0] + " Da dA 1  " + d[1] + " Da dA 2  " + d[2] + " Da dA 3  " +
                           d[3] + " Da dA 0 setdash");
    patterns.push_back("[] 0 setdash");
    EXPECT_EQ(dashes, patterns);
    EXPECT_EQ(widths, (Lines{" 1.60000 Th", " 3.20000 Th", " 4.80000 Th", " 6.40000 Th", " 8.00000 Th", " 9.60000 Th",
                             "11.20000 Th", "12.80000 Th", "14.40000 Th"}));
    EXPECT_TRUE(renders(p.psfile));
}

// An unreadable run (no file, comments only, empty) ends the page: message; unfinished file kept, no showpage.
TEST(Plotcomp, UnreadableRunLeavesUnfinishedPage) {
    for (const char* second : {(const char*)nullptr, "!Earlier run\n!count        ,time    ,A       \n", ""}) {
        const std::string dir = scratch_dir(), what = second ? second : "(no file)";
        write_file(dir + "/one.mon", run_one());
        if (second) write_file(dir + "/two.mon", second);
        Page p = two_vars(dir);
        p.runs[0] = series(dir + "/one.mon"), p.runs[1] = series(dir + "/two.mon");
        EXPECT_EQ(p.draw(), "xplotcomp: Error in comparison plot  2") << what;
        const std::string text = read_text(p.psfile);
        EXPECT_NE(text.find(dash1 + "\n"), std::string::npos) << what;
        EXPECT_TRUE(text.ends_with(reset + "\n")) << what;
        EXPECT_EQ(text.find("showpage"), std::string::npos) << what;
    }
}

}  // namespace
}  // namespace morvane::testing
