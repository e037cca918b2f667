corvel_add_fuzzer(fuzz_case fuzz_case.cpp corvel_case)
