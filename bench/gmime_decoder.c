/* The peer of bench/mime_decode.cpp: GMime parses the first COUNT msg_*
 * files of a folder (in name order) once, and then, timed, decodes every
 * Subject (g_mime_utils_header_decode_text) and reads every display name of
 * the From, To, Cc and Reply-To fields (internet_address_list_parse), from
 * the fields' raw values; prints the fields and the milliseconds of one pass,
 * the best of five passes of at least half a second. Built by
 * bench/mime_decode.sh.
 *
 *   gmime_decoder FOLDER COUNT */
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

static int byName(const void* a, const void* b) {
    return strcmp(*(char* const*)a, *(char* const*)b);
}

static size_t names(InternetAddressList* list) {
    size_t bytes = 0;
    for (int i = 0; i < internet_address_list_length(list); ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        const char* name = internet_address_get_name(address);
        if (name != NULL) bytes += strlen(name);
        if (INTERNET_ADDRESS_IS_GROUP(address))
            bytes += names(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)));
    }
    return bytes;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const char* folder = argv[1];
    size_t count = (size_t)atol(argv[2]);
    g_mime_init();
    GPtrArray* files = g_ptr_array_new();
    DIR* dir = opendir(folder);
    if (dir == NULL) return 1;
    struct dirent* entry;
    while ((entry = readdir(dir)) != NULL)
        if (strncmp(entry->d_name, "msg_", 4) == 0) g_ptr_array_add(files, g_strdup(entry->d_name));
    closedir(dir);
    qsort(files->pdata, files->len, sizeof(char*), byName);
    GPtrArray* subjects = g_ptr_array_new();
    GPtrArray* addresses = g_ptr_array_new();
    for (guint f = 0; f < files->len && f < count; ++f) {
        char* path = g_build_filename(folder, files->pdata[f], NULL);
        gchar* text;
        gsize size;
        if (g_file_get_contents(path, &text, &size, NULL)) {
            GMimeStream* stream = g_mime_stream_mem_new_with_buffer(text, size);
            GMimeParser* parser = g_mime_parser_new_with_stream(stream);
            GMimeMessage* message = g_mime_parser_construct_message(parser, NULL);
            if (message != NULL) {
                GMimeHeaderList* list = g_mime_object_get_header_list(GMIME_OBJECT(message));
                for (int i = 0; i < g_mime_header_list_get_count(list); ++i) {
                    GMimeHeader* header = g_mime_header_list_get_header_at(list, i);
                    const char* name = g_mime_header_get_name(header);
                    const char* raw = g_mime_header_get_raw_value(header);
                    if (g_ascii_strcasecmp(name, "subject") == 0)
                        g_ptr_array_add(subjects, g_strdup(raw));
                    else if (g_ascii_strcasecmp(name, "from") == 0 || g_ascii_strcasecmp(name, "to") == 0 ||
                             g_ascii_strcasecmp(name, "cc") == 0 || g_ascii_strcasecmp(name, "reply-to") == 0)
                        g_ptr_array_add(addresses, g_strdup(raw));
                }
                g_object_unref(message);
            }
            g_object_unref(parser);
            g_object_unref(stream);
            g_free(text);
        }
        g_free(path);
    }
    double best = 0;
    size_t bytes = 0;
    for (int pass = 0; pass < 5; ++pass) {
        double start = now(), elapsed;
        long rounds = 0;
        do {
            bytes = 0;
            for (guint i = 0; i < subjects->len; ++i) {
                char* decoded = g_mime_utils_header_decode_text(NULL, subjects->pdata[i]);
                bytes += strlen(decoded);
                g_free(decoded);
            }
            for (guint i = 0; i < addresses->len; ++i) {
                InternetAddressList* list = internet_address_list_parse(NULL, addresses->pdata[i]);
                if (list == NULL) continue;
                bytes += names(list);
                g_object_unref(list);
            }
            ++rounds;
            elapsed = now() - start;
        } while (elapsed < 0.5);
        double one = elapsed / (double)rounds * 1e3;
        if (pass == 0 || one < best) best = one;
    }
    printf("%u %zu %.3f\n", subjects->len + addresses->len, bytes, best);
    return 0;
}
