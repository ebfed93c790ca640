/* defines a symbol the process already has; which one its own call reaches
   tells whether the library was opened preferring its own definitions */
int orv_shadowed(void) {
    return 2;
}
int orv_call_shadowed(void) {
    return orv_shadowed();
}
