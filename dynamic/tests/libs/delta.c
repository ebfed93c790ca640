/* depends on alpha: lookups through delta's handle also reach alpha's symbols */
int orv_alpha_answer(void);
int orv_delta_twice(void) {
    return 2 * orv_alpha_answer();
}
