Attributes {
    time {
        String grads_dim "t";
        String grads_mapping "linear";
        String grads_size "3";
        String grads_min "00z19mar2024";
        String grads_step "3hr";
        String units "days since 1-1-1 00:00:0.0";
        String long_name "time";
        String minimum "00z19mar2024";
        String maximum "06z19mar2024";
        Float32 resolution 0.125;
    }
    lev {
        String grads_dim "z";
        String grads_mapping "levels";
        String units "millibar";
        String long_name "altitude";
        Float64 minimum 10.0;
        Float64 maximum 1000.0;
    }
    lat {
        String grads_dim "y";
        String grads_mapping "linear";
        String grads_size "5";
        String units "degrees_north";
        String long_name "latitude";
        Float64 minimum -90.0;
        Float64 maximum 90.0;
        Float32 resolution 45.0;
    }
    lon {
        String grads_dim "x";
        String grads_mapping "linear";
        String grads_size "8";
        String units "degrees_east";
        String long_name "longitude";
        Float64 minimum 0.0;
        Float64 maximum 315.0;
        Float32 resolution 45.0;
    }
    tmpprs {
        Float32 _FillValue 9.999E20;
        Float32 missing_value 9.999E20;
        String long_name "** (1000 850 500 10) temperature [k] ";
    }
    tmp2m {
        Float32 _FillValue 9.999E20;
        Float32 missing_value 9.999E20;
        String long_name "** 2 m above ground temperature [k] ";
    }
    NC_GLOBAL {
        String title "GFS 0.25 deg starting from 00Z19mar2024, handwritten test dataset";
        String Conventions "COARDS\nGrADS";
        String dataType "Grid";
    }
}
