/* Prints the equilibrium constants over 0..30 degrees Celsius, calling the
 * library exactly as a model program does: through the public header. */
#include <stdio.h>

#include "morvane.h"

int main(void) {
    int i;
    const float lgk = 8.5f;
    printf("morvane %s\n", morvane_version());
    printf("%6s %13s %13s %13s %13s %13s\n", "T(C)", "KHCO3", "KCO3", "KOH", "KCaCO3", "lgKAlox(8.5)");
    for (i = 0; i <= 30; i += 2) {
        const float t = (float)i;
        printf("%6.1f %13.5e %13.5e %13.5e %13.5e %13.5f\n", t, FKHCO3(&t), FKCO3(&t), FKOH(&t),
               FKCACO3(&t), FLGKALOX(&lgk, &t));
    }
    return 0;
}
