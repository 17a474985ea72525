# Tests of the imaging layer.
brellin_test(imaging platform/imaging brellin_imaging)
