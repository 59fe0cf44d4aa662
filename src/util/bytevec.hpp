// Text crossing the C ABI: byte vectors in, byte vectors and messages out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace morvane {

// Length of a message text; the message vector holds it and a zero byte.
inline constexpr std::size_t kMessageWidth = 127;
inline constexpr std::size_t kMessageBytes = 128;

// The text of a byte vector of n bytes: the bytes up to the first zero byte
// (all n when there is none), blank-padded to n characters.
std::string byte2str(const char* bytes, std::size_t n);

// Copies min(nmax - 1, text.size()) characters of text to bytes, then one zero
// byte; the bytes behind the zero are left as they were. Nothing when nmax < 1.
void str2byte(std::string_view text, std::size_t nmax, char* bytes);

// Writes a message to a 128-byte message vector: the text cut or blank-padded
// to 127 characters, then a zero byte.
void write_message(char* msg, std::string_view text);

// Cuts text to at most kMessageWidth characters.
std::string message_text(std::string_view text);

}  // namespace morvane
