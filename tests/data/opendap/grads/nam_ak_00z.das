Attributes {
    time {
        String grads_dim "t";
        String grads_mapping "linear";
        String grads_size "2";
        String grads_min "00z19mar2024";
        String grads_step "3hr";
        String units "days since 1-1-1 00:00:0.0";
        String long_name "time";
        String minimum "00z19mar2024";
        String maximum "03z19mar2024";
        Float32 resolution 0.125;
    }
    lat {
        String grads_dim "y";
        String grads_mapping "linear";
        String grads_size "4";
        String units "degrees_north";
        String long_name "latitude";
        Float64 minimum 40.0;
        Float64 maximum 70.0;
        Float32 resolution 10.0;
    }
    lon {
        String grads_dim "x";
        String grads_mapping "linear";
        String grads_size "20";
        String units "degrees_east";
        String long_name "longitude";
        Float64 minimum 160.0;
        Float64 maximum 255.0;
        Float32 resolution 5.0;
    }
    tmp2m {
        Float32 _FillValue 9.999E20;
        Float32 missing_value 9.999E20;
        String long_name "** 2 m above ground temperature [k] ";
    }
    NC_GLOBAL {
        String title "NAM Alaska 00Z19mar2024, handwritten test dataset";
        String Conventions "COARDS\nGrADS";
        String dataType "Grid";
    }
}
