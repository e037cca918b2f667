# The batch files of corvel-solve: the CSV reader alone and the whole batch command.
corvel_add_fuzzer(fuzz_csv fuzz_csv.cpp corvel_case)
