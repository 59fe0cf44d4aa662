// Export of the plot driver.
#include <algorithm>
#include <span>

#include "frame/guard.hpp"
#include "morvane.h"
#include "plot/monplot.hpp"
#include "util/bytevec.hpp"

namespace {

template <class T>
std::span<const T> items(const T* p, std::int32_t n) {
    return {p, static_cast<std::size_t>(std::max<std::int32_t>(n, 0))};
}

}  // namespace

extern "C" {

// NBLK or NT of 0 or less draw no block or no time point.
MORVANE_API void MORVANE_CALL MONPLOT(
    const char psfile[128], const char title[128], const int32_t* nrec, const int32_t* nv, const int32_t* ivar,
    const int32_t* nblk, const int32_t* iblk, const int32_t* cumul, const int32_t* iwin, const VarDescriptor* vars,
    const PlotSettings* pset, const float* aspect, const char subttl[128], const int32_t* idate, const float* lwid,
    const int32_t* rgb, const int32_t* igrid, const int32_t* nacc, const int32_t* ivlab, const float* yref,
    const float* zlwid, const int32_t* n0, const int32_t* n1, const int32_t* /*idum*/, const int32_t* iyoff,
    const int32_t* nstep, const int32_t* nt, const float* time, const float* val, const SeriesSpec* runs,
    const SeriesSpec* obsspecs, char msg[128]) {
    morvane::frame::with_message(msg, "xMonplot: ", [&] {
        morvane::MonplotArgs a;
        a.psfile = morvane::byte2str(psfile, 128);
        a.title = morvane::byte2str(title, 128);
        a.subttl = morvane::byte2str(subttl, 128);
        a.nrec = *nrec;
        a.nv = *nv;
        a.ivar = items(ivar, *nv);
        a.iblk = items(iblk, *nblk);
        a.cumul = items(cumul, *nv);
        a.iwin = items(iwin, *nv);
        a.vars = items(vars, *nrec);
        a.pset = pset;
        a.aspect = *aspect;
        a.idate = *idate;
        a.lwid = items(lwid, 9);
        a.rgb = items(rgb, 27);
        a.igrid = *igrid;
        a.nacc = *nacc;
        a.ivlab = *ivlab;
        a.yref = *yref;
        a.zlwid = *zlwid;
        a.n0 = *n0;
        a.n1 = *n1;
        a.iyoff = *iyoff;
        a.nstep = *nstep;
        a.time = items(time, *nt);
        a.val = val;
        a.runs = items(runs, 9);
        a.obsspecs = obsspecs;
        return morvane::monplot(a);
    });
}

}  // extern "C"
