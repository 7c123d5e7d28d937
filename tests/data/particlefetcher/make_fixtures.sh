#!/bin/sh
# Makes the particle fetcher's fixtures in this folder. The outputs are committed, so the tests
# never run this; run it again only to change them. Needs grib_set (libeccodes-tools).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
grib="$here/../grib"

# The 2.5 degree file with its rows stored south to north. ecCodes repacks the fields, so a
# value may move by one step of the packing (0.01).
grib_set -s swapScanningY=1 "$grib/gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2" \
    "$here/gfs_2p5deg_2011011012_f120_2t_10u_10v_south_to_north.grib2"

# A complete run folder whose lowest listed hour is f001 (no f000).
dir=/pub/data/nccf/com/gfs/prod/gfs.20240301/12/atmos
{
    printf '<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2 Final//EN">\n<html>\n <head>\n'
    printf '  <title>Index of %s</title>\n </head>\n <body>\n<h1>Index of %s</h1>\n  <table>\n' "$dir" "$dir"
    printf '   <tr><th valign="top">&nbsp;</th><th><a href="?C=N;O=D">Name</a></th><th><a href="?C=M;O=A">Last modified</a></th><th><a href="?C=S;O=A">Size</a></th></tr>\n'
    printf '   <tr><th colspan="4"><hr></th></tr>\n'
    printf '<tr><td valign="top">&nbsp;</td><td><a href="/pub/data/nccf/com/gfs/prod/gfs.20240301/12/">Parent Directory</a></td><td>&nbsp;</td><td align="right">  - </td></tr>\n'
    for hour in $(seq 1 120); do
        name=$(printf 'gfs.t12z.pgrb2.0p25.f%03d' "$hour")
        printf '<tr><td valign="top">&nbsp;</td><td><a href="%s">%s</a></td><td align="right">2024-03-01 17:02  </td><td align="right">516M </td></tr>\n' "$name" "$name"
        printf '<tr><td valign="top">&nbsp;</td><td><a href="%s.idx">%s.idx</a></td><td align="right">2024-03-01 17:02  </td><td align="right">30K </td></tr>\n' "$name" "$name"
    done
    printf '   <tr><th colspan="4"><hr></th></tr>\n</table>\n</body></html>\n'
} > "$here/gfs.20240301_12_atmos_from_f001.html"
