#pragma once

#include "graphics/camera.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/font.h"
#include "graphics/graphical.h"
#include "graphics/splash.h"
#include "graphics/textures.h"
#include "graphics/zoom.h"
