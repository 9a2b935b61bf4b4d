// The map output: areas joined on their key to the features of a boundary layer, written as
// one GeoPackage layer (the functions of the join in h7map.h).
#pragma once

#include "map/h7map.h"

namespace h7map {

h7map_join* joinOpen(const h7map_boundaries* boundaries, h7map_failure* failure);
size_t joinFieldCount(h7map_join* join);
const char* joinFieldName(h7map_join* join, size_t index);
int joinCreate(h7map_join* join, const h7map_layer* layer, h7map_failure* failure);
int joinAdd(h7map_join* join, const char* key, size_t keySize, const h7map_value* values, size_t count, int* joined,
            h7map_failure* failure);
int joinFinish(h7map_join* join, h7map_counts* counts, h7map_failure* failure);
void joinUnmatched(h7map_join* join, int (*each)(void* context, const char* key, size_t size), void* context);
void joinClose(h7map_join* join);

}  // namespace h7map
