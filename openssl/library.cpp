#include "openssl/library.h"

#include "dynamic/function.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <system_error>

namespace Orvanta::OpenSSL {

// the development link first, then the newest series down to 1.0.0
const char* versions[] = {
    "libssl.so",        "libssl.so.3",      "libssl.so.1",      "libssl.so.1.1",    "libssl.so.1.1.1s",
    "libssl.so.1.1.1r", "libssl.so.1.1.1q", "libssl.so.1.1.1p", "libssl.so.1.1.1o", "libssl.so.1.1.1n",
    "libssl.so.1.1.1m", "libssl.so.1.1.1l", "libssl.so.1.1.1k", "libssl.so.1.1.1j", "libssl.so.1.1.1i",
    "libssl.so.1.1.1h", "libssl.so.1.1.1g", "libssl.so.1.1.1f", "libssl.so.1.1.1e", "libssl.so.1.1.1d",
    "libssl.so.1.1.1c", "libssl.so.1.1.1b", "libssl.so.1.1.1a", "libssl.so.1.1.1",  "libssl.so.1.1.0l",
    "libssl.so.1.1.0k", "libssl.so.1.1.0j", "libssl.so.1.1.0i", "libssl.so.1.1.0h", "libssl.so.1.1.0g",
    "libssl.so.1.1.0f", "libssl.so.1.1.0e", "libssl.so.1.1.0d", "libssl.so.1.1.0c", "libssl.so.1.1.0b",
    "libssl.so.1.1.0a", "libssl.so.1.1.0",  "libssl.so.1.0.2t", "libssl.so.1.0.2s", "libssl.so.1.0.2r",
    "libssl.so.1.0.2q", "libssl.so.1.0.2p", "libssl.so.1.0.2o", "libssl.so.1.0.2n", "libssl.so.1.0.2m",
    "libssl.so.1.0.2l", "libssl.so.1.0.2k", "libssl.so.1.0.2j", "libssl.so.1.0.2i", "libssl.so.1.0.2h",
    "libssl.so.1.0.2g", "libssl.so.1.0.2f", "libssl.so.1.0.2e", "libssl.so.1.0.2d", "libssl.so.1.0.2c",
    "libssl.so.1.0.2b", "libssl.so.1.0.2a", "libssl.so.1.0.2",  "libssl.so.1.0.1w", "libssl.so.1.0.1v",
    "libssl.so.1.0.1u", "libssl.so.1.0.1t", "libssl.so.1.0.1s", "libssl.so.1.0.1r", "libssl.so.1.0.1q",
    "libssl.so.1.0.1p", "libssl.so.1.0.1o", "libssl.so.1.0.1n", "libssl.so.1.0.1m", "libssl.so.1.0.1l",
    "libssl.so.1.0.1k", "libssl.so.1.0.1j", "libssl.so.1.0.1i", "libssl.so.1.0.1h", "libssl.so.1.0.1g",
    "libssl.so.1.0.1f", "libssl.so.1.0.1e", "libssl.so.1.0.1",  "libssl.so.1.0.0",  nullptr};

namespace {

using LockingCallback = void(int mode, int n, const char* file, int line);

// The table that do_lock works on. The callback may run while the singleton
// is still being built (a 1.0 library can lock during its own start-up), so
// it must not reach the table through library().
std::atomic<std::vector<std::mutex>*> lockTable{nullptr};

} // namespace

Library::Library() : Dynamic::Library("BIO_new", versions) {
    if (!valid()) return;
    Dynamic::OptionalFunction<void(LockingCallback*)> setLocking(*this, "CRYPTO_set_locking_callback");
    Dynamic::OptionalFunction<void()> addAllDigests(*this, "OpenSSL_add_all_digests");
    Dynamic::OptionalFunction<int()> libraryInit(*this, "SSL_library_init");
    Dynamic::OptionalFunction<void()> loadErrorStrings(*this, "SSL_load_error_strings");
    Dynamic::OptionalFunction<LockingCallback*()> getLocking(*this, "CRYPTO_get_locking_callback");
    Dynamic::OptionalFunction<int()> numLocks(*this, "CRYPTO_num_locks");

    // 1.1 and later lock by themselves; some still export the 1.0 locking functions
    if (!setLocking) return;
    if (Dynamic::OptionalFunction<const void*()>(*this, "TLS_client_method")) return;

    _oldApi = true;
    addAllDigests();
    libraryInit();
    loadErrorStrings();
    // a callback that another part of the process installed stays in charge
    if (getLocking()) return;
    // the table is complete before the library can call back into it
    _locks = std::vector<std::mutex>(static_cast<size_t>(numLocks()));
    lockTable.store(&_locks);
    setLocking(do_lock);
}

Library::~Library() {
    cleanUp();
}

void Library::cleanUp() noexcept {
    try {
        if (!valid()) return;
        // a library found among the process's symbols belongs to whoever
        // loaded it: only our own callback is taken back from it
        bool ownsLibrary = _oldApi && handle()->byName();
        if (!ownsLibrary && _locks.empty()) return;

        Dynamic::OptionalFunction<LockingCallback*()> getLocking(*this, "CRYPTO_get_locking_callback");
        Dynamic::OptionalFunction<void(LockingCallback*)> setLocking(*this, "CRYPTO_set_locking_callback");
        if (getLocking && setLocking && getLocking() == &do_lock) setLocking(nullptr);
        lockTable.store(nullptr);
        if (!ownsLibrary) return;

        // a clean-up function the library lacks is skipped: there is nobody
        // to tell at exit, and the others still release what they can
        Dynamic::OptionalFunction<void()> confModulesFree(*this, "CONF_modules_free");
        Dynamic::OptionalFunction<void()> engineCleanup(*this, "ENGINE_cleanup");
        Dynamic::OptionalFunction<void(int)> confModulesUnload(*this, "CONF_modules_unload");
        Dynamic::OptionalFunction<void()> evpCleanup(*this, "EVP_cleanup");
        Dynamic::OptionalFunction<void()> cleanupExData(*this, "CRYPTO_cleanup_all_ex_data");
        Dynamic::OptionalFunction<void()> freeStrings(*this, "ERR_free_strings");
        if (confModulesFree) confModulesFree();
        if (engineCleanup) engineCleanup();
        if (confModulesUnload) confModulesUnload(1);
        if (evpCleanup) evpCleanup();
        if (cleanupExData) cleanupExData();
        if (freeStrings) freeStrings();
    } catch (...) {
        // runs during exit processing, where an exception would end the
        // process; an unfinished clean-up of a library about to go is harmless
    }
}

Library& library() {
    static Library instance;
    return instance;
}

bool valid() {
    return library().valid();
}

void* handle() {
    const auto& held = library().handle();
    return held ? held->handle() : nullptr;
}

bool supportsDane() {
    void* opened = handle();
    if (!opened) return false;
    if (::dlsym(opened, "SSL_CTX_dane_enable")) return true;
    ::dlerror(); // a missing name is an answer, not an error to pass on
    return false;
}

void do_lock(int mode, int n, const char*, int) {
    std::vector<std::mutex>* table = lockTable.load();
    // OpenSSL asks only for the locks that CRYPTO_num_locks counted
    if (!table || n < 0 || static_cast<size_t>(n) >= table->size()) return;
    std::mutex& lock = (*table)[static_cast<size_t>(n)];
    if (!(mode & 1)) {
        lock.unlock();
        return;
    }
    try {
        lock.lock();
    } catch (const std::system_error& error) {
        // OpenSSL cannot be told, and going on without the lock would let
        // threads corrupt its shared state
        std::fprintf(stderr, "OpenSSL lock %d failed: %s\n", n, error.what());
        std::abort();
    }
}

} // namespace Orvanta::OpenSSL
