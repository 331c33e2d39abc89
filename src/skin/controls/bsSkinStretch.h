#pragma once

// How a skin's client part is stretched: both ways, or one way and repeated
// the other.
enum TbsStretchType { bsstFull, bsstHorz, bsstVert };
