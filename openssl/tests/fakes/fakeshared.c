/* The entry points that the stand-in 1.0 and 1.1 libraries share: both
   series have them under the same names and prototypes. */
#include <stdio.h>

const void* EVP_aes_256_cbc(void) {
    return "aes";
}
int EVP_CIPHER_iv_length(const void* cipher) {
    (void)cipher;
    printf("EVP_CIPHER_iv_length\n");
    return 16;
}
int EVP_CIPHER_key_length(const void* cipher) {
    (void)cipher;
    printf("EVP_CIPHER_key_length\n");
    return 32;
}
unsigned long BUF_MEM_grow(void* buffer, unsigned long size) {
    (void)buffer;
    printf("BUF_MEM_grow %lu\n", size);
    return 0;
}
