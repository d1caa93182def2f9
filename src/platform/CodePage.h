// Code pages: the ANSI and OEM code pages of the process and conversions through iconv.
//
// The ANSI code page is 936 (GBK), the program's home, unless TARVOSK_ACP names another
// (for example 1252). The OEM code page, which FAT short names are written in, follows
// TARVOSK_OEMCP, or else is 936 when the ANSI code page is 936 and 437 otherwise.
#pragma once

#include <string>
#include <string_view>

#include "platform/WinTypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;

UINT GetACP();
UINT GetOEMCP();

// As Win32: srcLen -1 converts through the terminator (and counts it); dstLen 0 returns the
// size needed; a destination too small fails with ERROR_INSUFFICIENT_BUFFER. Characters that
// the code page cannot hold become '?' (or defaultChar); undecodable bytes become U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);

namespace tarvosk {

std::u16string multiByteToWide(UINT codePage, std::string_view text);
std::string wideToMultiByte(UINT codePage, std::u16string_view text);

inline std::u16string ansiToWide(std::string_view text) { return multiByteToWide(CP_ACP, text); }
inline std::string wideToAnsi(std::u16string_view text) { return wideToMultiByte(CP_ACP, text); }

// UTF-8 and UTF-16 without iconv (host paths, the registry file, terminal output). Invalid
// sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
// Whether every byte belongs to a well-formed sequence (the same rule the conversion applies).
bool isValidUtf8(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
// The same, appended to out (a listing builds each line in one buffer).
void appendUtf8(std::string& out, std::u16string_view text);

}  // namespace tarvosk
