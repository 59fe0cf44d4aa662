/* A C program against morvane: its version, a criterion and a missing
 * keyword file. Prints the line that consumer.f90 prints. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "morvane.h"

int main(void) {
    if (strcmp(morvane_version(), MORVANE_EXPECTED_VERSION) != 0) {
        fprintf(stderr, "library %s, package %s\n", morvane_version(), MORVANE_EXPECTED_VERSION);
        return 1;
    }
    const int32_t icrit = 4;
    const float zero = 0.0f, h = 0.001f;
    KEYLIST* list = malloc(sizeof *list);
    if (!list) return 1;
    memset(list, ' ', sizeof *list);
    memcpy(list->name, "OLU", 3);
    memcpy(list->file, "missing.inp", 11);
    FIL2LIST(list);
    printf("morvane %s: pH %.2f, %d keywords\n", morvane_version(),
           VAL_CRIT(&icrit, &zero, &zero, &zero, &h, &zero, &zero, &zero), list->n);
    free(list);
    return 0;
}
