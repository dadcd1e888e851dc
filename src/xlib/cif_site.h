// The error location of the CIF code: every part of it reports as the one unit "xlib/cifdp".
#pragma once

#include "sdl/ebase.h"

#define CIF_SITE "xlib/cifdp", __PRETTY_FUNCTION__, __LINE__
#define CIF_LOCATION ::zodu::FormatLocation(CIF_SITE)
