// The sanitizers' settings in the asan preset, built into its programs (velmora-cli and the unit
// tests) so that every run of them checks the same way, under ctest, help2man or by hand. A
// finding ends the program with 23, an exit status that none of the program's own outcomes has:
// a test that expects a failure cannot take a finding for it. Leaks count as findings.
extern "C" {

// NOLINTNEXTLINE(bugprone-reserved-identifier): the name the AddressSanitizer runtime looks for
const char* __asan_default_options() {
    return "detect_leaks=1:exitcode=23:detect_stack_use_after_return=1:check_initialization_order=1:"
           "strict_init_order=1:strict_string_checks=1";
}

// NOLINTNEXTLINE(bugprone-reserved-identifier): the name the UndefinedBehaviorSanitizer runtime looks for
const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1:exitcode=23"; }

}  // extern "C"
