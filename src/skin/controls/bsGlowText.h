#pragma once

// Text over a soft halo of a chosen colour, the look of captions on glass.

#include "bsDeviceContext.h"

#include <QString>

// The halo reaches this far beyond the text rectangle, whatever room a
// caller keeps around it.
constexpr int bsGlowMargin = 10;

// Draws text with the DrawText flags into rect on canvas, in the canvas's
// font and font colour, over a blurred halo of glowColor. The colour's bytes
// are used as they are: a system colour is not resolved.
void DrawGlowText(TbsDC* canvas, const TRect& rect, const QString& text, unsigned flags,
                  TColor glowColor);
