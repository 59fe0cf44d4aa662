#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "util/windows.hpp"

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

TEST(Frame, ByteVectorsAndMessages) {
    const struct { std::string bytes; std::size_t n; std::string text; } cases[] = {
        {std::string("ab\0cd", 5), 5, "ab   "}, {"abcde", 5, "abcde"},  // no zero byte: all n bytes
        {std::string("\0xyz", 4), 4, "    "},  {std::string("a\tb\0", 4), 4, "a\tb "},  // tabs kept: TIDY's job
    };
    for (const auto& c : cases) EXPECT_EQ(byte2str(c.bytes.data(), c.n), c.text);
    char out[6];
    for (auto [s, n, want] : {std::tuple{"abcdefgh", 4, "abc\0##"}, {"ab", 6, "ab\0###"}}) {
        std::memset(out, '#', sizeof out);
        str2byte(s, n, out);  // min(N - 1, L) bytes, then zero; the rest untouched
        EXPECT_EQ(std::string(out, 6), std::string(want, 6));
    }
    // Messages: cut to 127, padded with blanks (an earlier, longer one overwritten), then a zero byte.
    char msg[128];
    std::memset(msg, '#', sizeof msg);
    for (const std::string& m : {std::string(200, 'm'), std::string("xREADINP: Unknown model!"), std::string()}) {
        write_message(msg, m);
        EXPECT_EQ(std::string(msg, 128), (m + std::string(127, ' ')).substr(0, 127) + '\0');
    }
}

TEST(Frame, NoExceptionCrossesTheBoundary) {
    char msg[128];
    frame::with_message(msg, "xREADINP: ", []() -> std::string { throw std::runtime_error("boom"); });
    EXPECT_EQ(std::string(msg, 35), "xREADINP: Internal error: boom     ");
    frame::with_message(msg, "xREADINP: ", []() -> std::string { return ""; });
    EXPECT_EQ(std::string(msg, 127), std::string(127, ' '));
    EXPECT_EQ(frame::quietly(7, []() -> int { throw 1; }), 7);
}

TEST(FrameDeathTest, DefaultStopHandlerExitsWithStatusOne) {
    set_stop_handler(nullptr);
    EXPECT_EXIT(stop_run("DOUPEU: nbeg < n0!"), ::testing::ExitedWithCode(1), "^DOUPEU: nbeg < n0!\n$");
}

TEST(Frame, SharedLibraryExtensionsAndChemistry) {
    EXPECT_STREQ(morvane_version(), "0.1.0");
    char msg[128];
    std::memset(msg, '#', sizeof msg);
    morvane_last_message(msg);
    EXPECT_EQ(std::string(msg, 128), std::string(127, ' ') + '\0');
    const float t = 25.0f, t10 = 10.0f, lgk = 8.5f;
    EXPECT_EQ(FKCACO3(&t), 141263.5f);
    EXPECT_EQ(FLGKALOX(&lgk, &t10), 8.5f);
}

#ifdef _WIN32
// The DLL's version resource, which Windows shows in the file's properties,
// carries morvane_version's text and the same numbers.
TEST(Frame, VersionResource) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(GetModuleHandleW(L"morvane.dll"), path, MAX_PATH), 0u);
    std::vector<char> info(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_TRUE(!info.empty() && GetFileVersionInfoW(path, 0, static_cast<DWORD>(info.size()), info.data()));
    const std::string version = morvane_version();
    for (const wchar_t* key : {L"\\StringFileInfo\\040904B0\\ProductVersion", L"\\StringFileInfo\\040904B0\\FileVersion"}) {
        void* text = nullptr;
        UINT len = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), key, &text, &len));
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(text)), std::wstring(version.begin(), version.end()));
    }
    void* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &fixed, &len));
    const auto* f = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    const std::string numbers = std::to_string(HIWORD(f->dwFileVersionMS)) + "." + std::to_string(LOWORD(f->dwFileVersionMS)) +
                                "." + std::to_string(HIWORD(f->dwFileVersionLS));
    EXPECT_EQ(numbers, version);
}
#endif

}  // namespace
}  // namespace morvane
