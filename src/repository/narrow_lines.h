// Reading a file into narrow text lines that share the file's one buffer.
#pragma once

#include "sdl/constlist.h"
#include "sdl/estrlist.h"

// The lines of `text`: split at line feeds (empty lines kept, none after a final line feed),
// trailing carriage returns removed except a line's first character. Every line is a view
// on `text`'s buffer.
zodu::TCStrList SplitNarrowLines(const zodu::vexcstr& text);

// The whole file, read in binary mode, as SplitNarrowLines gives it. File errors and
// "invalid stream position" (files of 4 GiB or more) go to the caller.
zodu::ConstStrList<zodu::TCStrList> ReadNarrowLines(const zodu::vexstr& path);
