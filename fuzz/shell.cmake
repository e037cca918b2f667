# The readers of files that anyone can edit or replace: the ini file layout and the version
# resource of ELF and PE executables.
corvel_add_fuzzer(fuzz_ini fuzz_ini.cpp corvel_shell_core)
corvel_add_fuzzer(fuzz_verinfo fuzz_verinfo.cpp corvel_shell_core)
