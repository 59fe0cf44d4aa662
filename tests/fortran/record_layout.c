/* Sizes and member offsets of the records as the C header lays them out; the
 * Fortran module's bind(C) types must print the same (record_layout.f90). */
#include <stddef.h>
#include <stdio.h>

#include "morvane.h"

#define SIZE(t) printf("%s %zu\n", #t, sizeof(t))
#define AT(t, m) printf("%s%%%s %zu\n", #t, #m, offsetof(t, m))

int main(void) {
    SIZE(SeriesSpec);
    AT(SeriesSpec, active); AT(SeriesSpec, path); AT(SeriesSpec, fmt); AT(SeriesSpec, opt);
    AT(SeriesSpec, reserved1); AT(SeriesSpec, icol1); AT(SeriesSpec, icol2);
    AT(SeriesSpec, reserved2); AT(SeriesSpec, factor); AT(SeriesSpec, cval);
    AT(SeriesSpec, reserved3);
    SIZE(VarDescriptor);
    AT(VarDescriptor, name); AT(VarDescriptor, description); AT(VarDescriptor, ymin);
    AT(VarDescriptor, ymax); AT(VarDescriptor, ndiv);
    SIZE(KEYLIST);
    AT(KEYLIST, name); AT(KEYLIST, key); AT(KEYLIST, file); AT(KEYLIST, dir);
    AT(KEYLIST, line); AT(KEYLIST, n); AT(KEYLIST, got); AT(KEYLIST, def);
    SIZE(PlotSettings);
    AT(PlotSettings, reserved0); AT(PlotSettings, xlabopt); AT(PlotSettings, reserved5);
    AT(PlotSettings, xlabfmt); AT(PlotSettings, reserved14); AT(PlotSettings, nxdiv);
    AT(PlotSettings, xlabstep); AT(PlotSettings, xlab0); AT(PlotSettings, reserved2152);
    AT(PlotSettings, year0); AT(PlotSettings, year1);
    return 0;
}
