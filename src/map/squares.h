// Demonstration boundaries: a square per area (the functions of the squares in h7map.h).
#pragma once

#include "map/h7map.h"

namespace h7map {

h7map_squares* squaresCreate(const char* path, h7map_failure* failure);
int squaresAdd(h7map_squares* squares, double west, double south, double side, const char* key, h7map_failure* failure);
int squaresFinish(h7map_squares* squares, h7map_failure* failure);
void squaresClose(h7map_squares* squares);

}  // namespace h7map
