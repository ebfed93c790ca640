int orv_beta_answer(void) {
    return 7;
}
