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
#define H7MAP_VERSION 2
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
  H7MAP_NOT_WRITTEN,           /* the GeoPackage could not be created or written */
  H7MAP_NOT_POLYGONS,          /* the layer holds no areas: `detail` names its geometry type */
  H7MAP_NO_FIELD               /* a field to copy is not in the layer: `detail` names it */
};

/* What the user should know of a join that goes on. */
enum h7map_warning {
  H7MAP_NO_COORDINATE_SYSTEM = 1, /* the layer has none: the output's is undefined */
  H7MAP_PARTS_NOT_UNITED          /* the parts of the area `text` names could not be united: kept as they are */
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
 * blanks around it trimmed, or its whole number written with at least 11 digits. Its
 * features are polygons or multipolygons; those sharing a key are one area. */
typedef struct h7map_boundaries {
  const char* path;      /* anything GDAL reads; a path ending in .zip is read inside the archive */
  const char* layer;     /* empty: the first layer */
  const char* key_field;
  const char* const* fields; /* the layer's fields copied into the output (the first feature's values) */
  size_t field_count;
  int all_fields;            /* 1: every field but the key, `fields` unused */
  void (*warn)(void* context, int warning, const char* text); /* may be null */
  void* context;
} h7map_boundaries;

/* The GeoPackage created at `path` (which must not exist): one MultiPolygon layer with the
 * boundary layer's coordinate system, these columns, then the copied fields. */
typedef struct h7map_layer {
  const char* path;
  const char* name;
  const char* const* columns;
  const int* numeric; /* per column: 1 a real number, 0 text */
  size_t count;
} h7map_layer;

typedef struct h7map_counts {
  long long joined;          /* areas written with their boundary's geometry */
  long long no_boundary;     /* areas written without one */
  long long no_data;         /* boundary keys no area took, and features without a key */
  long long merged_areas;    /* areas written whose key several features hold */
  long long merged_features; /* those features */
} h7map_counts;

typedef struct h7map_join h7map_join;
typedef struct h7map_squares h7map_squares;

/* The demonstration boundaries' file: a GeoPackage created at `path` (which must not exist),
 * layer type `multi` ? MultiPolygon : Polygon, JGD2011 (EPSG:6668); or an ESRI Shapefile
 * made in memory (`path` unused), its DBF in CP932 with a .cpg saying so, JGD2000
 * (EPSG:4612), the DBF's date fixed. */
typedef struct h7map_sample {
  const char* path;
  int shapefile;
  int multi;
} h7map_sample;

typedef struct h7map_api {
  unsigned version; /* H7MAP_VERSION of the module's build */

  /* The join: the boundaries opened and their keys indexed, then the GeoPackage created,
   * a feature added per area in order, and the file finished (closed, complete). close()
   * frees what is left, whatever happened; the file it leaves is the caller's to remove. */
  h7map_join* (*join_open)(const h7map_boundaries* boundaries, h7map_failure* failure);
  /* The names (UTF-8) of the fields copied, once opened. */
  size_t (*join_field_count)(h7map_join* join);
  const char* (*join_field_name)(h7map_join* join, size_t index);
  int (*join_create)(h7map_join* join, const h7map_layer* layer, h7map_failure* failure);
  /* `joined` set to 1 when a boundary holds the key, else 0. */
  int (*join_add)(h7map_join* join, const char* key, size_t key_size, const h7map_value* values, size_t count,
                  int* joined, h7map_failure* failure);
  int (*join_finish)(h7map_join* join, h7map_counts* counts, h7map_failure* failure);
  /* The boundary keys no area took, in the layer's order; `each` returns 0 to stop. */
  void (*join_unmatched)(h7map_join* join, int (*each)(void* context, const char* key, size_t size), void* context);
  void (*join_close)(h7map_join* join);

  /* Demonstration boundaries: layer "boundaries" with the fields KEY_CODE (text), 地域名
   * (text) and AREA (real), features of one or more rectangles, in longitude and latitude.
   * The same calls give the same bytes. */
  h7map_squares* (*squares_create)(const h7map_sample* sample, h7map_failure* failure);
  /* A feature: `count` rectangles (west, south, east, north each) as one polygon, or as a
   * multipolygon when several; `name` UTF-8. */
  int (*squares_add)(h7map_squares* squares, const double* rectangles, size_t count, const char* key,
                     const char* name, h7map_failure* failure);
  int (*squares_finish)(h7map_squares* squares, h7map_failure* failure);
  /* After finish, for a Shapefile: its files one by one (index 0, 1, ... until 0 is returned),
   * each as the extension of its name (".shp", ".dbf"...) and its bytes, valid until close. */
  int (*squares_file)(h7map_squares* squares, size_t index, const char** extension, const void** bytes,
                      size_t* size);
  void (*squares_close)(h7map_squares* squares);
} h7map_api;

/* The module's entry (H7MAP_ENTRY), looked up by the programs with dlsym. */
const h7map_api* h7map_entry(void);
typedef const h7map_api* (*h7map_entry_function)(void);

#ifdef __cplusplus
}
#endif

#endif /* H7MAP_H */
