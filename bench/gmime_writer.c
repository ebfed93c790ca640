/* The peer of bench/mime_encode.cpp: GMime parses every msg_* file of a
 * folder once and then writes the messages, with CR LF line ends, to a null
 * stream in a loop; prints the input megabytes per second of the best of
 * five passes of at least half a second. Built by bench/mime_encode.sh. */
#include <gmime/gmime.h>

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    const char* folder = argc > 1 ? argv[1] : "/usr/lib/python3.11/test/test_email/data";
    g_mime_init();
    GPtrArray* messages = g_ptr_array_new();
    size_t bytes = 0;
    DIR* dir = opendir(folder);
    if (dir == NULL) return 1;
    struct dirent* entry;
    while ((entry = readdir(dir)) != NULL) {
        if (strncmp(entry->d_name, "msg_", 4) != 0) continue;
        char* path = g_build_filename(folder, entry->d_name, NULL);
        gchar* text;
        gsize size;
        if (g_file_get_contents(path, &text, &size, NULL)) {
            GMimeStream* stream = g_mime_stream_mem_new_with_buffer(text, size);
            GMimeParser* parser = g_mime_parser_new_with_stream(stream);
            GMimeMessage* message = g_mime_parser_construct_message(parser, NULL);
            if (message != NULL) {
                g_ptr_array_add(messages, message);
                bytes += size;
            }
            g_object_unref(parser);
            g_object_unref(stream);
            g_free(text);
        }
        g_free(path);
    }
    closedir(dir);
    GMimeFormatOptions* format = g_mime_format_options_new();
    g_mime_format_options_set_newline_format(format, GMIME_NEWLINE_FORMAT_DOS);
    GMimeStream* sink = g_mime_stream_null_new();
    double best = 0;
    for (int pass = 0; pass < 5; ++pass) {
        double start = now(), elapsed;
        long rounds = 0;
        do {
            for (guint i = 0; i < messages->len; ++i)
                g_mime_object_write_to_stream(GMIME_OBJECT(messages->pdata[i]), format, sink);
            ++rounds;
            elapsed = now() - start;
        } while (elapsed < 0.5);
        double rate = (double)bytes * (double)rounds / elapsed / 1e6;
        if (rate > best) best = rate;
    }
    printf("%u %zu %.1f\n", messages->len, bytes, best);
    return 0;
}
