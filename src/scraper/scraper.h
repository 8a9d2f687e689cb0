// The course scraper: decoding of downloaded pages and the video address resolver.
#pragma once

#include "text/text.h"

namespace velkari {

// Resolves every "%" escape byte by byte ("+" stays); with `convertFromUtf8` the result is then
// read as UTF-8 and written out in code page 936.
Text PercentDecode(const Text& text, bool convertFromUtf8 = false);
Text Utf8ToAnsi(const Text& text);
// Multibyte text to little-endian UTF-16 units, ended by a zero unit.
Bytes AnsiToWide(const Text& text, unsigned codePage = 65001);
// UTF-16 units, up to the first zero unit, to multibyte text; unconvertible characters become
// the code page's default character.
Text WideToAnsi(const Bytes& wide, unsigned codePage = 0);

// The automation object that carries the video service's requests.
constexpr const char* kVideoRequestProgId = "WinHttp.WinHttpRequest.5.1";

// Asks the video service's redirect endpoint at `redirectAddress`, on `serviceHost`, for the
// real address of a video: the "Location" of its answer, which is not followed. The empty text
// when there is none or anything fails on the way.
Text ResolveVideoAddress(const Text& redirectAddress, const Text& serviceHost,
                         const Text& requestProgId = kVideoRequestProgId);

} // namespace velkari
