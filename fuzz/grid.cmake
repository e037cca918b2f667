# Definition lines of the entry grid: arbitrary bytes through splitting, parsing and the
# value rules of the row fields.
corvel_add_fuzzer(fuzz_rowdef fuzz_rowdef.cpp corvel_grid_fields)
