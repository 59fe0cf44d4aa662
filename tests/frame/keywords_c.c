/* A model program's use of the keyword list and the observation routines,
 * written against the public C header only. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "morvane.h"

/* The model's variables: pH has observation record 1, Ca record 2. */
static int32_t MORVANE_CALL lookup(const char *name, int32_t len) {
    return len != 8 ? 0 : memcmp(name, "pH      ", 8) == 0 ? 1 : memcmp(name, "Ca      ", 8) == 0 ? 2 : 0;
}

/* Loads dir/model.inp, locates the observations of pH and Ca, reads those of
 * pH and writes a summary into report (-1: a file could not be written). */
int morvane_c_keywords_demo(const char *dir, char *report, size_t cap) {
    static KEYLIST list;
    SeriesSpec specs[2];
    float obs[3 * 8], xmiss = -99.0f;
    int32_t iyb = 1990, iye = 2000, nobs = -5, isuf = 2;
    char msg[128], last[128];
    size_t plen = 256;
    FILE *f;

    snprintf(list.file, sizeof list.file, "%s/ph.dat", dir);
    if ((f = fopen(list.file, "w")) == NULL) return -1;
    fputs("!Year pH dpH\n1989 4.1 0.1\n1990 4.5 0.2\n2000.5 4.6 0.1\n", f);
    fclose(f);
    snprintf(list.file, sizeof list.file, "%s/model.inp", dir); /* the zero byte ends the name */
    if ((f = fopen(list.file, "w")) == NULL) return -1;
    fprintf(f, "! test\nTheta 0.3\npHobs %s/ph.dat/o;\\1 \\2\nCaobs 12.5 0.5\nCaobs_2 1.2.3\n", dir);
    fclose(f);
    FIL2LIST(&list);

    memset(specs, 0, sizeof specs);
    GETOBS(lookup, &list, "pH      ", 8, specs, NULL);
    GETOBS(lookup, &list, "Ca      ", 8, specs, NULL);
    GETOBS(lookup, &list, "Ca      ", 8, specs, &isuf);
    morvane_last_message(last);
    PREPOBS(&specs[0], &xmiss, &iyb, &iye, &nobs, obs, msg);
    while (plen > 6 && specs[0].path[plen - 1] == ' ') --plen;
    snprintf(report, cap,
             "n=%d key=%.6s pH: active=%d opt=%c icol=%d,%d ends=%.6s Ca: path=%.9s cval=%g,%g,%g "
             "nobs=%d first=%g,%g,%g msg=%d:%.3s last=%.50s",
             (int)list.n, list.key[1], (int)specs[0].active, specs[0].opt, (int)specs[0].icol1,
             (int)specs[0].icol2, specs[0].path + plen - 6, specs[1].path, specs[1].cval[0], specs[1].cval[1],
             specs[1].cval[2], (int)nobs, obs[0], obs[1], obs[2], (int)strlen(msg), msg, last);
    return 0;
}
