/* A model program's use of the keyword list and the observation routines,
 * written against the public C header only. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "morvane.h"

static void put_field(char *field, size_t width, const char *text) {
    size_t n = strlen(text);
    if (n > width) n = width;
    memset(field, ' ', width);
    memcpy(field, text, n);
}

/* The model's variables: pH has record 1, Ca record 2, others none. */
static int32_t MORVANE_CALL lookup(const char *name, int32_t len) {
    if (len == 8 && memcmp(name, "pH      ", 8) == 0) return 1;
    if (len == 8 && memcmp(name, "Ca      ", 8) == 0) return 2;
    return 0;
}

/* Loads dir/model.inp, finds the observations of pH and Ca and reads those of
 * pH; writes a one-line summary into report. Returns 0, or -1 when out of
 * memory or a file cannot be written. */
int morvane_c_keywords_demo(const char *dir, char *report, size_t cap) {
    char path[512];
    FILE *f;
    KEYLIST *list;
    SeriesSpec specs[2];
    float obs[3 * 8];
    float xmiss = -99.0f;
    int32_t iyb = 1990, iye = 2000, nobs = -5;
    char msg[128];
    size_t plen = 256;

    snprintf(path, sizeof path, "%s/ph.dat", dir);
    if ((f = fopen(path, "w")) == NULL) return -1;
    fputs("!Year pH dpH\n1989 4.1 0.1\n1990 4.5 0.2\n2000.5 4.6 0.1\n", f);
    fclose(f);
    snprintf(path, sizeof path, "%s/model.inp", dir);
    if ((f = fopen(path, "w")) == NULL) return -1;
    fprintf(f, "! test\nTheta 0.3\npHobs %s/ph.dat/o;\\1 \\2\nCaobs 12.5 0.5\n", dir);
    fclose(f);

    list = (KEYLIST *)malloc(sizeof *list);
    if (list == NULL) return -1;
    memset(list, 0, sizeof *list);
    put_field(list->name, sizeof list->name, "KESTO");
    strcpy(list->file, path); /* a C string: the zero byte ends the name */
    FIL2LIST(list);

    memset(specs, 0, sizeof specs);
    GETOBS(lookup, list, "pH      ", 8, specs, NULL);
    GETOBS(lookup, list, "Ca      ", 8, specs, NULL);
    PREPOBS(&specs[0], &xmiss, &iyb, &iye, &nobs, obs, msg);
    while (plen > 6 && specs[0].path[plen - 1] == ' ') --plen;

    snprintf(report, cap,
             "n=%d key=%.6s got=%d pH: active=%d opt=%c icol=%d,%d ends=%.6s Ca: path=%.9s cval=%g,%g,%g "
             "nobs=%d first=%g,%g,%g msg=%d:%.3s",
             (int)list->n, list->key[1], (int)list->got[1], (int)specs[0].active, specs[0].opt,
             (int)specs[0].icol1, (int)specs[0].icol2, specs[0].path + plen - 6, specs[1].path,
             specs[1].cval[0], specs[1].cval[1], specs[1].cval[2], (int)nobs, obs[0], obs[1], obs[2],
             (int)strlen(msg), msg);
    free(list);
    return 0;
}
