#!/usr/bin/env python3
"""Writes the data files of the example site (Lake Harjulampi catchment).

The numbers are plausible for a small forested catchment in the boreal zone
with a clear-water lake: deposition rises from pre-industrial levels to a peak
around 1975-1985 and falls after the emission agreements; the future follows a
current-legislation scenario. Run it to regenerate the files; they are kept in
the repository so that the examples and tests need no Python.
"""
import math

YEARS = range(1850, 2101)


def smooth_step(y, y0, y1):
    """0 before y0, 1 after y1, a smooth S-curve in between."""
    if y <= y0:
        return 0.0
    if y >= y1:
        return 1.0
    t = (y - y0) / (y1 - y0)
    return t * t * (3 - 2 * t)


def deposition(y):
    """Total deposition in meq/m2/yr: SO4, NOx, NH4, Ca, Mg, K, Na, Cl, P."""
    rise = smooth_step(y, 1880, 1975)
    fall_s = smooth_step(y, 1985, 2010)
    so4 = 12 + 108 * rise * (1 - 0.88 * fall_s)
    rise_n = smooth_step(y, 1900, 1988)
    fall_n = smooth_step(y, 1990, 2030)
    nox = 4 + 52 * rise_n * (1 - 0.55 * fall_n)
    nh4 = 8 + 30 * rise_n * (1 - 0.25 * fall_n)
    dust = 1 + 0.6 * rise * (1 - 0.7 * fall_s)  # anthropogenic base-cation dust
    ca = 9 * dust
    mg = 4 * dust
    k = 2.5 * dust
    na = 18.0
    cl = 21.0 + 6 * rise * (1 - fall_s)  # HCl from coal burning
    p = 0.05
    return [so4, nox, nh4, ca, mg, k, na, cl, p]


def write_yearly(path):
    with open(path, "w") as f:
        f.write("! Lake Harjulampi catchment: total deposition, meq/m2/yr\n")
        f.write("! 1850-2100; 1850-1979 reconstructed, 1980-2020 measured (open-field\n")
        f.write("! bulk plus canopy filtering), 2021-2100 current-legislation scenario.\n")
        f.write("! -99 marks a year without data (filled by interpolation).\n")
        f.write("!Year   SO4     NOx     NH4     Ca      Mg      K       Na      Cl      P\n")
        for y in YEARS:
            d = deposition(y)
            if y in (1944, 1945):  # war years: no estimate
                d[0] = -99.0
            f.write("%d" % y + "".join(" %7.3f" % v for v in d) + "\n")


def write_monthly(path):
    # Monthly shares with a winter maximum of sulphate and a spring maximum of
    # ammonium; the rows of a year sum to the yearly total.
    so4_share = [1.3, 1.25, 1.15, 1.0, 0.85, 0.75, 0.7, 0.75, 0.85, 1.0, 1.15, 1.25]
    nh4_share = [0.7, 0.75, 1.1, 1.6, 1.5, 1.1, 0.9, 0.85, 0.85, 0.9, 0.9, 0.85]
    s1 = sum(so4_share)
    s2 = sum(nh4_share)
    with open(path, "w") as f:
        f.write("! Lake Harjulampi catchment: monthly deposition, meq/m2 per month\n")
        f.write("! Twelve lines per year, January to December.\n")
        f.write("!Year   SO4      NOx      NH4      Ca       Mg       K        Na       Cl       P\n")
        for y in YEARS:
            d = deposition(y)
            for m in range(12):
                row = [d[0] * so4_share[m] / s1, d[1] / 12, d[2] * nh4_share[m] / s2] + [v / 12 for v in d[3:]]
                f.write("%d" % y + "".join(" %8.4f" % v for v in row) + "\n")


def write_climate_monthly(path):
    with open(path, "w") as f:
        f.write("! Lake Harjulampi catchment: monthly soil temperature (degrees C) and\n")
        f.write("! percolation (m/yr as a monthly rate); twelve lines per year.\n")
        f.write("!Year TempC  Runoff\n")
        for y in YEARS:
            warming = 0.0 if y < 1980 else 0.025 * (y - 1980)
            for m in range(12):
                season = -math.cos(2 * math.pi * (m + 0.5 - 1.0) / 12.0)
                temp = 3.2 + warming + 6.5 * season
                runoff = 0.31 * (1.0 + (0.9 if m in (3, 4) else 0.3 if m in (9, 10) else -0.25))
                f.write("%d %6.2f %6.3f\n" % (y, temp, runoff))


def write_climate(path):
    with open(path, "w") as f:
        f.write("! Lake Harjulampi catchment: climate and hydrology\n")
        f.write("! TempC: mean annual soil temperature, degrees C\n")
        f.write("! Runoff: percolation through the rooting zone, m/yr\n")
        f.write("!Year TempC  Runoff\n")
        for y in YEARS:
            warming = 0.0 if y < 1980 else 0.025 * (y - 1980)
            wave = 0.3 * math.sin(2 * math.pi * (y - 1850) / 11.0)
            f.write("%d %6.2f %6.3f\n" % (y, 3.2 + warming + wave, 0.31 + 0.02 * math.sin((y - 1850) / 7.0)))


def stand_age(y):
    """Age of the managed spruce stand: clear-cut in 1858, 1938 and 2018."""
    return (y - 1938) % 80 if y >= 1938 else (y - 1858) % 80


def growth(y):
    """Stem-wood growth, m3/ha/yr."""
    return 9.0 * math.exp(-((stand_age(y) - 35) / 22.0) ** 2) + 0.5


def write_growth(path):
    with open(path, "w") as f:
        f.write("! Lake Harjulampi catchment: stem-wood growth, m3/ha/yr\n")
        f.write("!Year Growth Harvest\n")
        for y in YEARS:
            f.write("%d %6.3f %d\n" % (y, growth(y), 1 if stand_age(y) == 0 else 0))


def write_uptake(path):
    with open(path, "w") as f:
        f.write("! Lake Harjulampi catchment: net uptake by tree growth, meq/m2/yr\n")
        f.write("!Year N      Ca     Mg     K      P\n")
        for y in YEARS:
            g = growth(y)
            f.write("%d %6.3f %6.3f %6.3f %6.3f %6.3f\n" % (
                y, 0.713 * 1.2 * g, 0.5 * 2.4 * g, 0.823 * 0.45 * g, 0.256 * 1.6 * g, 0.32 * 0.3 * g))


def write_weathering(path):
    # Base-cation weathering rises slowly with the soil temperature.
    with open(path, "w") as f:
        f.write("! Lake Harjulampi catchment: weathering, meq/m2/yr\n")
        f.write("!Year Ca     Mg     K      Na\n")
        for y in YEARS:
            warming = 0.0 if y < 1980 else 0.025 * (y - 1980)
            q = math.exp(0.06 * warming)
            f.write("%d %6.3f %6.3f %6.3f %6.3f\n" % (y, 18.5 * q, 7.2 * q, 2.1 * q, 9.0 * q))


def write_obs(path, header, rows):
    with open(path, "w") as f:
        f.write(header)
        for r in rows:
            f.write(" ".join(r) + "\n")


if __name__ == "__main__":
    write_yearly("deposition.dat")
    write_monthly("deposition_monthly.dat")
    write_climate("climate.dat")
    write_climate_monthly("climate_monthly.dat")
    write_growth("growth.dat")
    write_uptake("uptake.dat")
    write_weathering("weathering.dat")
    # Soil solution at 40 cm (lysimeters), and lake water: value and error.
    soil = []
    for y in range(1987, 2021, 2):
        t = smooth_step(y, 1985, 2010)
        soil.append(("%d.5" % y, "%5.2f" % (4.55 + 0.35 * t), "%4.2f" % 0.08,
                     "%6.1f" % (92 - 60 * t), "%5.1f" % (9 - 4 * t)))
    write_obs("obs_soil.dat",
              "! Lake Harjulampi catchment: soil solution at 40 cm, plot 2\n"
              "! Year, pH, error of pH, SO4 (ueq/L), error of SO4\n"
              "!Year pH dpH SO4 dSO4\n", soil)
    lake = []
    for y in range(1979, 2023):
        t = smooth_step(y, 1985, 2010)
        if y in (1983, 1999):
            lake.append(("%d.7" % y, "-999", "0.1", "-999", "5"))  # lost samples
            continue
        lake.append(("%d.7" % y, "%5.2f" % (5.55 + 0.55 * t), "%4.2f" % 0.10,
                     "%6.1f" % (-15 + 35 * t), "%5.1f" % 6.0))
    write_obs("obs_lake.dat",
              "! Lake Harjulampi: autumn samples at 1 m depth\n"
              "! Year, pH, error of pH, ANC (ueq/L), error of ANC; -999: no sample\n"
              "!Year pH dpH ANC dANC\n", lake)
