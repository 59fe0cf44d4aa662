/* The record layouts as a C99 compiler sees the public header. */
#include <stddef.h>

#include "morvane.h"

#define CHECK(name, cond) typedef char name[(cond) ? 1 : -1]

CHECK(series_size, sizeof(SeriesSpec) == 408);
CHECK(series_path, offsetof(SeriesSpec, path) == 4);
CHECK(series_fmt, offsetof(SeriesSpec, fmt) == 260);
CHECK(series_opt, offsetof(SeriesSpec, opt) == 324);
CHECK(series_icol1, offsetof(SeriesSpec, icol1) == 328);
CHECK(series_icol2, offsetof(SeriesSpec, icol2) == 332);
CHECK(series_factor, offsetof(SeriesSpec, factor) == 368);
CHECK(series_cval, offsetof(SeriesSpec, cval) == 372);
CHECK(var_size, sizeof(VarDescriptor) == 84);
CHECK(var_desc, offsetof(VarDescriptor, description) == 8);
CHECK(var_ymin, offsetof(VarDescriptor, ymin) == 72);
CHECK(var_ymax, offsetof(VarDescriptor, ymax) == 76);
CHECK(var_ndiv, offsetof(VarDescriptor, ndiv) == 80);
CHECK(keylist_size, sizeof(KEYLIST) == 72212);
CHECK(keylist_key, offsetof(KEYLIST, key) == 16);
CHECK(keylist_file, offsetof(KEYLIST, file) == 4112);
CHECK(keylist_dir, offsetof(KEYLIST, dir) == 4368);
CHECK(keylist_line, offsetof(KEYLIST, line) == 4624);
CHECK(keylist_n, offsetof(KEYLIST, n) == 70160);
CHECK(keylist_got, offsetof(KEYLIST, got) == 70164);
CHECK(keylist_def, offsetof(KEYLIST, def) == 71188);
CHECK(pset_size, sizeof(PlotSettings) == 2164);
CHECK(pset_xlabopt, offsetof(PlotSettings, xlabopt) == 4);
CHECK(pset_xlabfmt, offsetof(PlotSettings, xlabfmt) == 6);
CHECK(pset_nxdiv, offsetof(PlotSettings, nxdiv) == 2140);
CHECK(pset_xlabstep, offsetof(PlotSettings, xlabstep) == 2144);
CHECK(pset_xlab0, offsetof(PlotSettings, xlab0) == 2148);
CHECK(pset_year0, offsetof(PlotSettings, year0) == 2156);
CHECK(pset_year1, offsetof(PlotSettings, year1) == 2160);

/* Called from the C++ test so the file is linked and its size checks counted. */
size_t morvane_c_record_bytes(void) {
    return sizeof(SeriesSpec) + sizeof(VarDescriptor) + sizeof(KEYLIST) + sizeof(PlotSettings);
}
