corvel_add_fuzzer(fuzz_units fuzz_units.cpp corvel_units)
