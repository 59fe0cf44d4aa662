#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/guard.hpp"
#include "morvane.h"
#include "util/bytevec.hpp"
#include "util/stop.hpp"

extern "C" size_t morvane_c_record_bytes(void);

namespace morvane {
namespace {

TEST(Frame, RecordSizesAgreeBetweenCAndCxx) {
    EXPECT_EQ(morvane_c_record_bytes(),
              sizeof(SeriesSpec) + sizeof(VarDescriptor) + sizeof(KEYLIST) + sizeof(PlotSettings));
    EXPECT_EQ(morvane_c_record_bytes(), 408u + 84u + 72212u + 2164u);
}

TEST(Frame, ByteVectors) {
    struct Case {
        std::string bytes;  // exact input bytes
        std::size_t n;
        std::string text;   // expected text of width n
    };
    const Case cases[] = {
        {std::string("ab\0cd", 5), 5, "ab   "},
        {"abcde", 5, "abcde"},                  // no zero byte: all n bytes
        {std::string("\0xyz", 4), 4, "    "},
        {std::string("a\tb\0", 4), 4, "a\tb "},  // tabs are kept; cleaning is TIDY's job
    };
    for (const Case& c : cases) EXPECT_EQ(byte2str(c.bytes.data(), c.n), c.text);

    char out[6];
    std::memset(out, '#', sizeof out);
    str2byte("abcdefgh", 4, out);  // min(N - 1, L) bytes, then zero; the rest untouched
    EXPECT_EQ(std::string(out, 6), std::string("abc\0##", 6));
    std::memset(out, '#', sizeof out);
    str2byte("ab", 6, out);
    EXPECT_EQ(std::string(out, 6), std::string("ab\0###", 6));
}

TEST(Frame, MessagesAreCutAndPadded) {
    char msg[128];
    std::memset(msg, '#', sizeof msg);
    const std::string longer(200, 'm');
    write_message(msg, longer);
    EXPECT_EQ(std::string(msg, 127), std::string(127, 'm'));
    EXPECT_EQ(msg[127], '\0');

    write_message(msg, "xREADINP: Unknown model!");  // overwrites the earlier message
    EXPECT_EQ(std::string(msg, 127), std::string("xREADINP: Unknown model!") + std::string(103, ' '));
    EXPECT_EQ(msg[127], '\0');

    write_message(msg, "");  // success: 127 blanks and a zero byte
    EXPECT_EQ(std::string(msg, 127), std::string(127, ' '));
    EXPECT_EQ(msg[127], '\0');
}

TEST(Frame, NoExceptionCrossesTheBoundary) {
    char msg[128];
    frame::with_message(msg, "xREADINP: ", []() -> std::string { throw std::runtime_error("boom"); });
    EXPECT_EQ(std::string(msg, 35), "xREADINP: Internal error: boom     ");
    frame::with_message(msg, "xREADINP: ", []() -> std::string { return ""; });
    EXPECT_EQ(std::string(msg, 127), std::string(127, ' '));
    EXPECT_EQ(frame::quietly(7, []() -> int { throw 1; }), 7);
}

std::string g_stopped;
void MORVANE_CALL remember(const char* message) { g_stopped = message; }

TEST(Frame, InstalledStopHandlerReturns) {
    set_stop_handler(remember);
    stop_run("SHFTPOLY: Impossible!");
    EXPECT_EQ(g_stopped, "SHFTPOLY: Impossible!");
    set_stop_handler(nullptr);
}

TEST(FrameDeathTest, DefaultStopHandlerExitsWithStatusOne) {
    set_stop_handler(nullptr);
    EXPECT_EXIT(stop_run("DOUPEU: nbeg < n0!"), ::testing::ExitedWithCode(1), "^DOUPEU: nbeg < n0!\n$");
}

TEST(Frame, SharedLibraryExtensions) {
    EXPECT_STREQ(morvane_version(), "0.1.0");
    char msg[128];
    std::memset(msg, '#', sizeof msg);
    morvane_last_message(msg);
    EXPECT_EQ(std::string(msg, 127), std::string(127, ' '));
    EXPECT_EQ(msg[127], '\0');
}

TEST(Frame, ChemistryThroughTheExports) {
    const float t = 25.0f, t10 = 10.0f, lgk = 8.5f;
    EXPECT_EQ(FKCACO3(&t), 141263.5f);
    EXPECT_EQ(FLGKALOX(&lgk, &t10), 8.5f);
    EXPECT_GT(FKHCO3(&t), 0.0f);
    EXPECT_GT(FKCO3(&t), 0.0f);
    EXPECT_GT(FKOH(&t), 0.0f);
}

}  // namespace
}  // namespace morvane
