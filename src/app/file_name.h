// Pure text work of the download hand-off; no Windows calls.
#pragma once

#include "text/text.h"

namespace velkari {

// The title followed by ".mp4", with what Windows forbids in a file name made harmless: each of
// \ / : * ? " < > | becomes its full-width form, control bytes go, and a device name such as
// CON or LPT1 before the first dot gets a "_" after it.
Text LessonFileName(const Text& title);

} // namespace velkari
