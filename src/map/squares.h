// Demonstration boundaries: a square per area (the functions of the squares in h7map.h).
#pragma once

#include "map/h7map.h"

namespace h7map {

h7map_squares* squaresCreate(const h7map_sample* sample, h7map_failure* failure);
int squaresAdd(h7map_squares* squares, const double* rectangles, size_t count, const char* key, const char* name,
               h7map_failure* failure);
int squaresFinish(h7map_squares* squares, h7map_failure* failure);
int squaresFile(h7map_squares* squares, size_t index, const char** extension, const void** bytes, size_t* size);
void squaresClose(h7map_squares* squares);

}  // namespace h7map
