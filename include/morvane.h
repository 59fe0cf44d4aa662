/*
 * morvane: common routines of the soil-acidification models.
 *
 * Every routine takes its arguments by reference (pointers), except the length
 * of a character argument, which follows its pointer by value. Integers and
 * logicals are 32-bit, reals are 32-bit IEEE floats. Arrays are column-major;
 * a pointer to an array points at its first element (the caller's lower bound).
 *
 * Texts: a "byte vector" of N bytes holds text up to its first zero byte (all
 * N bytes when there is none). Messages are byte vectors of 128 bytes: 127
 * characters, blank-padded, then a zero byte; all blanks means success.
 *
 * Usable from C99 and C++. On 32-bit Windows every routine is __stdcall and is
 * exported twice, as NAME and as _NAME@n.
 */
#ifndef MORVANE_H
#define MORVANE_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define MORVANE_CALL __stdcall
#else
#define MORVANE_CALL
#endif

#if defined(_WIN32)
#define MORVANE_API
#elif defined(__GNUC__)
#define MORVANE_API __attribute__((visibility("default")))
#else
#define MORVANE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------- records */

/* One monitoring file, balance file, comparison run or observation source. */
typedef struct SeriesSpec {
    int32_t active;        /*   0 logical: names a usable source or target  */
    char path[256];        /*   4 file path, blank-padded ("1obsonly" marks a constant) */
    char fmt[64];          /* 260 data-line format of a monitoring file      */
    char opt;              /* 324 option letter                              */
    char reserved1[3];     /* 325                                            */
    int32_t icol1;         /* 328 column of the first observed value         */
    int32_t icol2;         /* 332 column of the second value, 0 for none     */
    char reserved2[32];    /* 336                                            */
    float factor;          /* 368 factor applied to observed values          */
    float cval[3];         /* 372 constant observation: time, value, error   */
    char reserved3[24];    /* 384                                            */
} SeriesSpec;              /* 408 bytes */

/* One model variable. */
typedef struct VarDescriptor {
    char name[8];          /*  0 short name: the monitoring-file heading */
    char description[64];  /*  8 legend text                              */
    float ymin;            /* 72 lower end of the display range           */
    float ymax;            /* 76 upper end of the display range           */
    int32_t ndiv;          /* 80 number of y-axis divisions               */
} VarDescriptor;           /* 84 bytes */

#define MORVANE_KEYLIST_ENTRIES 256

/* A loaded keyword input file. The caller sets name and file. */
typedef struct KEYLIST {
    char name[16];                                /*     0 model name              */
    char key[MORVANE_KEYLIST_ENTRIES][16];        /*    16 keyword of each entry   */
    char file[256];                               /*  4112 input file path         */
    char dir[256];                                /*  4368 directory of file       */
    char line[MORVANE_KEYLIST_ENTRIES][256];      /*  4624 value text of each entry */
    int32_t n;                                    /* 70160 entries; -1: no file    */
    int32_t got[MORVANE_KEYLIST_ENTRIES];         /* 70164 value taken by a reader */
    int32_t def[MORVANE_KEYLIST_ENTRIES];         /* 71188 appended with a default */
} KEYLIST;                                        /* 72212 bytes */

/* The plot driver's x-axis settings; only these fields are read. */
typedef struct PlotSettings {
    char reserved0[4];     /*    0                                        */
    char xlabopt;          /*    4 'n' suppresses the x-axis labels       */
    char reserved5;        /*    5                                        */
    char xlabfmt[8];       /*    6 format of the x-axis labels            */
    char reserved14[2126]; /*   14                                        */
    int32_t nxdiv;         /* 2140 divisions of the x axis                */
    int32_t xlabstep;      /* 2144 step between labelled divisions        */
    int32_t xlab0;         /* 2148 first labelled division                */
    char reserved2152[4];  /* 2152                                        */
    float year0;           /* 2156 first year of the axis                 */
    float year1;           /* 2160 last year of the axis                  */
} PlotSettings;            /* 2164 bytes */

/* The caller's lookup of a variable's observation record: the 1-based index,
 * 0 or less for none. The name is a character argument (address, length). */
typedef int32_t (MORVANE_CALL *morvane_obsind_fn)(const char *name, int32_t name_len);

/* Called by the routines that stop the run, with their message. */
typedef void (MORVANE_CALL *morvane_stop_fn)(const char *message);

/* ------------------------------------------------------------- extensions */

/* Installs the handler of the routines that stop the run; NULL restores the
 * default (message and newline to standard error, exit status 1). When an
 * installed handler returns, the routine returns at once. */
MORVANE_API void MORVANE_CALL morvane_set_stop_handler(morvane_stop_fn handler);

/* Version text of the library, for example "0.1.0". */
MORVANE_API const char *MORVANE_CALL morvane_version(void);

/* The message of the most recent call, in the calling thread, of a routine
 * that has no message argument (MONWRITE, GETOBS, FIL2LIST); blanks when
 * that call succeeded. */
MORVANE_API void MORVANE_CALL morvane_last_message(char msg[128]);

/* Warnings of the most recent call, in the calling thread, of FIL2LIST,
 * READINP, READINPW, GETOBS or PREPOBS: what a careful reader would say about
 * the input (a keyword nothing reads, "62,5" for 62.5, a series file that
 * does not cover the run, ...), beside the routine's exact results, which they
 * never change. Each of the five sets them on every call; no other routine
 * changes them. morvane_warning writes warning i (1 .. count) as a message:
 * 127 characters, blank-padded, then a zero byte; blanks for any other i. */
MORVANE_API int32_t MORVANE_CALL morvane_warning_count(void);
MORVANE_API void MORVANE_CALL morvane_warning(int32_t i, char text[128]);

/* ------------------------------------------------------------ model input */

MORVANE_API void MORVANE_CALL READINP(
    const int32_t *nvar, const VarDescriptor *vars, morvane_obsind_fn obsind,
    KEYLIST *list, const int32_t *ib, const int32_t *ie, char site[128],
    int32_t *iyb, int32_t *iye, int32_t *nstep, int32_t *addso4ss,
    float *thick, float *bulkdens, float *theta, float *pco2fac, float *cec,
    float *eca_0, float *emg_0, float *ek_0, float *bsat_0, int32_t *excmod,
    float *kexc /* 6 x 6 */, float *expal, float *lgkalox, float *nim_acc,
    float *cpool_0, float *cnrat_0, float *cnratmin, float *cnratmax,
    float *cnratseq, float *f_de, int32_t *rcoomod, float *rcoopars /* 3 */,
    float *crcoo, float *tempc, float *percol, float *cmin /* 9 */,
    float *weathering /* 9 x (IB:IE) */, float *uptake /* 9 x (IB:IE) */,
    float *deposition /* 9 x (IB:IE) */, SeriesSpec *mon, SeriesSpec *obs,
    float *parentca_or_carbonat, float *alox_0, float *so4admax, float *so4half,
    float *po4admax, float *po4half, float *exph, float *alapars /* 2 */,
    float *f_ni, float *al_we, float *n_fix, SeriesSpec *bal, char msg[128]);

MORVANE_API void MORVANE_CALL READINPW(
    KEYLIST *list, const int32_t *ib, const int32_t *ie, const int32_t *iyb,
    const int32_t *iye, const int32_t *nstep, float *area_c, float *area_l,
    float *depth_l, float *pco2facw, float *expalw, float *lgkaloxw,
    float *retention /* 9 */, int32_t *orgmodw, float *orgparw /* 3 */,
    float *mdocw /* IB:IE */, float *alaparw /* 2 */, char msg[128]);

MORVANE_API void MORVANE_CALL FIL2LIST(KEYLIST *list);

/* ------------------------------------------------ output and observations */

MORVANE_API void MORVANE_CALL MONWRITE(
    const SeriesSpec *mon, const char title[128], const VarDescriptor *vars,
    const int32_t *nv, const int32_t *ivar, const int32_t *n0, const int32_t *n1,
    const int32_t *iyb, const int32_t *iye, const int32_t *nt, const float *time,
    const float *val);

/* isuf may be NULL (absent). */
MORVANE_API void MORVANE_CALL GETOBS(
    morvane_obsind_fn obsind, KEYLIST *list, const char *name, int32_t name_len,
    SeriesSpec *obsspecs, const int32_t *isuf);

/* obs is OBS(3, *): the caller must size it for one triple per data line of
 * the file; the routine has no capacity argument and cannot detect more. */
MORVANE_API void MORVANE_CALL PREPOBS(
    const SeriesSpec *obsspec, const float *xmiss, const int32_t *iyb,
    const int32_t *iye, int32_t *nobs, float *obs, char msg[128]);

MORVANE_API float MORVANE_CALL VAL_CRIT(
    const int32_t *icrit, const float *x2, const float *x3, const float *x4,
    const float *x5, const float *x6, const float *x7, const float *x8);

/* --------------------------------------------------------------- plotting */

MORVANE_API void MORVANE_CALL MONPLOT(
    const char psfile[128], const char title[128], const int32_t *nrec,
    const int32_t *nv, const int32_t *ivar, const int32_t *nblk,
    const int32_t *iblk, const int32_t *cumul, const int32_t *iwin,
    const VarDescriptor *vars, const PlotSettings *pset, const float *aspect,
    const char subttl[128], const int32_t *idate, const float *lwid /* 9 */,
    const int32_t *rgb /* 3 x 9 */, const int32_t *igrid, const int32_t *nacc,
    const int32_t *ivlab, const float *yref, const float *zlwid,
    const int32_t *n0, const int32_t *n1, const int32_t *idum,
    const int32_t *iyoff, const int32_t *nstep, const int32_t *nt,
    const float *time, const float *val, const SeriesSpec *runs /* 9 */,
    const SeriesSpec *obsspecs, char msg[128]);

MORVANE_API void MORVANE_CALL GETPANES(
    const int32_t *mode, const int32_t *n, const float *w, const float *h,
    const float *mx0, const float *mx1, const float *my0, const float *my1,
    const float *ratio, const float *gx, const float *gy, int32_t *nc,
    int32_t *nr, float *x, float *y, float *pw, float *ph);

/* -------------------------------------------------------------- chemistry */

MORVANE_API float MORVANE_CALL FKHCO3(const float *t);
MORVANE_API float MORVANE_CALL FKCO3(const float *t);
MORVANE_API float MORVANE_CALL FKOH(const float *t);
MORVANE_API float MORVANE_CALL FKCACO3(const float *t);
MORVANE_API float MORVANE_CALL FLGKALOX(const float *lgk, const float *t);

MORVANE_API void MORVANE_CALL SEASALTS(const int32_t *iref, const float *dep,
                                       float *ssdep);

/* org has lower index 0 and at least m + 1 elements (two when m = 0). */
MORVANE_API void MORVANE_CALL ORGALL(const float *h, const float *al,
                                     const float *par, float *org,
                                     float *alorg /* 3 */, float *alchg);

/* ------------------------------------------------ critical-load functions */

MORVANE_API void MORVANE_CALL EXCEED(const float *clmaxs, const float *clminn,
                                     const float *clmaxn, const float *ndep,
                                     const float *sdep, float *exn, float *exs,
                                     int32_t *region);

MORVANE_API void MORVANE_CALL MINPOLY(const int32_t *na, const float *xa,
                                      const float *ya, const int32_t *nb,
                                      const float *xb, const float *yb,
                                      int32_t *nout, float *xout, float *yout);

MORVANE_API void MORVANE_CALL SHFTPOLY(const int32_t *n, const float *x,
                                       const float *y, const float *d,
                                       int32_t *nout, float *xout, float *yout);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* Layout checks where the language has static assertions. */
#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L)
#include <stddef.h>
#ifdef __cplusplus
#define MORVANE_SA(c, m) static_assert(c, m)
#else
#define MORVANE_SA(c, m) _Static_assert(c, m)
#endif
MORVANE_SA(sizeof(SeriesSpec) == 408, "SeriesSpec size");
MORVANE_SA(offsetof(SeriesSpec, path) == 4, "SeriesSpec.path");
MORVANE_SA(offsetof(SeriesSpec, fmt) == 260, "SeriesSpec.fmt");
MORVANE_SA(offsetof(SeriesSpec, opt) == 324, "SeriesSpec.opt");
MORVANE_SA(offsetof(SeriesSpec, icol1) == 328, "SeriesSpec.icol1");
MORVANE_SA(offsetof(SeriesSpec, icol2) == 332, "SeriesSpec.icol2");
MORVANE_SA(offsetof(SeriesSpec, factor) == 368, "SeriesSpec.factor");
MORVANE_SA(offsetof(SeriesSpec, cval) == 372, "SeriesSpec.cval");
MORVANE_SA(sizeof(VarDescriptor) == 84, "VarDescriptor size");
MORVANE_SA(offsetof(VarDescriptor, description) == 8, "VarDescriptor.description");
MORVANE_SA(offsetof(VarDescriptor, ymin) == 72, "VarDescriptor.ymin");
MORVANE_SA(offsetof(VarDescriptor, ymax) == 76, "VarDescriptor.ymax");
MORVANE_SA(offsetof(VarDescriptor, ndiv) == 80, "VarDescriptor.ndiv");
MORVANE_SA(sizeof(KEYLIST) == 72212, "KEYLIST size");
MORVANE_SA(offsetof(KEYLIST, key) == 16, "KEYLIST.key");
MORVANE_SA(offsetof(KEYLIST, file) == 4112, "KEYLIST.file");
MORVANE_SA(offsetof(KEYLIST, dir) == 4368, "KEYLIST.dir");
MORVANE_SA(offsetof(KEYLIST, line) == 4624, "KEYLIST.line");
MORVANE_SA(offsetof(KEYLIST, n) == 70160, "KEYLIST.n");
MORVANE_SA(offsetof(KEYLIST, got) == 70164, "KEYLIST.got");
MORVANE_SA(offsetof(KEYLIST, def) == 71188, "KEYLIST.def");
MORVANE_SA(sizeof(PlotSettings) == 2164, "PlotSettings size");
MORVANE_SA(offsetof(PlotSettings, xlabopt) == 4, "PlotSettings.xlabopt");
MORVANE_SA(offsetof(PlotSettings, xlabfmt) == 6, "PlotSettings.xlabfmt");
MORVANE_SA(offsetof(PlotSettings, nxdiv) == 2140, "PlotSettings.nxdiv");
MORVANE_SA(offsetof(PlotSettings, xlabstep) == 2144, "PlotSettings.xlabstep");
MORVANE_SA(offsetof(PlotSettings, xlab0) == 2148, "PlotSettings.xlab0");
MORVANE_SA(offsetof(PlotSettings, year0) == 2156, "PlotSettings.year0");
MORVANE_SA(offsetof(PlotSettings, year1) == 2160, "PlotSettings.year1");
#undef MORVANE_SA
#endif

#endif /* MORVANE_H */
