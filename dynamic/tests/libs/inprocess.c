/* linked into the test program, so these symbols are in the global scope */
int orv_probe_in_process(void) {
    return 1;
}
int orv_shadowed(void) {
    return 1;
}
