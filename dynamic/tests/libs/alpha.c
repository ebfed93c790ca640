int orv_alpha_answer(void) {
    return 42;
}
int orv_alpha_add(int a, int b) {
    return a + b;
}
