/* The interface of the map module (libh7map.so), the one place that uses GDAL. The programs
 * load it only when a map is asked for, so that no other run maps a GDAL library; they hand
 * it plain values and word its failures themselves. C, so that nothing of either side's C++
 * (allocators, exceptions, the standard library's layout) crosses it.
 *
 * Paths are the bytes the system calls take; names and texts are UTF-8. A call that fails
 * returns 0 (or null) and fills the failure: a code, and GDAL's own words in `detail`. */
#ifndef H7MAP_H
#define H7MAP_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Bumped with every change of the structs or functions below. */
#define H7MAP_VERSION 1
/* The module's file, and the one symbol the programs look up in it. */
#define H7MAP_FILE_NAME "libh7map.so"
#define H7MAP_ENTRY "h7map_entry"

enum h7map_code {
  H7MAP_OK = 0,
  H7MAP_BOUNDARIES_NOT_OPENED, /* the boundary file cannot be opened */
  H7MAP_NO_LAYER,              /* it has no layer of the name asked for (or none at all) */
  H7MAP_NO_KEY_FIELD,          /* the layer has no field of the key's name */
  H7MAP_BAD_KEY_FIELD,         /* the key field is neither text nor a whole number */
  H7MAP_BOUNDARIES_NOT_READ,   /* reading the layer failed */
  H7MAP_NOT_WRITTEN            /* the GeoPackage could not be created or written */
};

typedef struct h7map_failure {
  int code;
  char detail[1024]; /* GDAL's last message, UTF-8, possibly empty */
} h7map_failure;

/* A value of a feature's column: none (NULL in the GeoPackage), text or a number. */
enum h7map_kind { H7MAP_NULL = 0, H7MAP_TEXT, H7MAP_NUMBER };
typedef struct h7map_value {
  int kind;
  const char* text; /* H7MAP_TEXT: UTF-8, `size` bytes */
  size_t size;
  double number; /* H7MAP_NUMBER */
} h7map_value;

/* The boundary layer an output is joined to: the key of a feature is its key field's text,
 * blanks around it trimmed, or its whole number written with at least 11 digits. */
typedef struct h7map_boundaries {
  const char* path;      /* anything GDAL reads */
  const char* layer;     /* empty: the first layer */
  const char* key_field;
} h7map_boundaries;

/* The GeoPackage created at `path` (which must not exist): one layer with the boundary
 * layer's coordinate system and geometry type, and these columns. */
typedef struct h7map_layer {
  const char* path;
  const char* name;
  const char* const* columns;
  const int* numeric; /* per column: 1 a real number, 0 text */
  size_t count;
} h7map_layer;

typedef struct h7map_counts {
  long long joined;      /* areas written with their boundary's geometry */
  long long no_boundary; /* areas written without one */
  long long no_data;     /* boundary features no area took (those without a key included) */
  long long duplicates;  /* boundary features whose key an earlier one holds */
} h7map_counts;

typedef struct h7map_join h7map_join;
typedef struct h7map_squares h7map_squares;

typedef struct h7map_api {
  unsigned version; /* H7MAP_VERSION of the module's build */

  /* The join: the boundaries opened and their keys indexed, then the GeoPackage created,
   * a feature added per area in order, and the file finished (closed, complete). close()
   * frees what is left, whatever happened; the file it leaves is the caller's to remove. */
  h7map_join* (*join_open)(const h7map_boundaries* boundaries, h7map_failure* failure);
  int (*join_create)(h7map_join* join, const h7map_layer* layer, h7map_failure* failure);
  int (*join_add)(h7map_join* join, const char* key, size_t key_size, const h7map_value* values, size_t count,
                  h7map_failure* failure);
  int (*join_finish)(h7map_join* join, h7map_counts* counts, h7map_failure* failure);
  void (*join_close)(h7map_join* join);

  /* Demonstration boundaries: layer "boundaries" of squares in JGD2011 longitude and
   * latitude (EPSG:6668) with a field KEY_CODE, created at `path` (which must not exist);
   * the same calls give the same bytes. */
  h7map_squares* (*squares_create)(const char* path, h7map_failure* failure);
  int (*squares_add)(h7map_squares* squares, double west, double south, double side, const char* key,
                     h7map_failure* failure);
  int (*squares_finish)(h7map_squares* squares, h7map_failure* failure);
  void (*squares_close)(h7map_squares* squares);
} h7map_api;

/* The module's entry (H7MAP_ENTRY), looked up by the programs with dlsym. */
const h7map_api* h7map_entry(void);
typedef const h7map_api* (*h7map_entry_function)(void);

#ifdef __cplusplus
}
#endif

#endif /* H7MAP_H */
