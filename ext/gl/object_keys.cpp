#include "object_keys.h"

#include <atomic>
#include <string>

#include "scene_state.h"

namespace gllib {

namespace {

// Types from here down are the libraries'; the hosts keep the ones above.
constexpr int kFirstKeyType = -257;
constexpr int kLastKeyType = -9999999;
constexpr int kInitialBlockLimit = 1000;

std::atomic<uint32_t> g_nextQuadric{1};
std::atomic<int> g_blocks{0};
unsigned g_generation = 0;  // window thread only
std::atomic<bool> g_outlived{false};
int g_blockLimit = kInitialBlockLimit;

void TM_CALL unlock_token() {}

void TM_CALL quadric_deleted(void *value) { gluDeleteQuadric(static_cast<GLUquadric *>(value)); }

// Display lists are deleted only on the window thread, where the context
// is current; elsewhere (unload) the context is already gone with them.
void TM_CALL block_deleted(void *value) {
    auto *block = static_cast<TextBlock *>(value);
    if (on_window_thread() && block->first && block->generation == g_generation)
        glDeleteLists(block->first, block->count);
    delete block;
    --g_blocks;
}

int lock_type(const extproto::KernelExports &kernel, TmKeyDelete deleteFn, int after) {
    for (int type = kFirstKeyType; type >= kLastKeyType; --type) {
        if (type == after) continue;
        if (kernel.LockKeyType(type, deleteFn, unlock_token) == 0) return type;
    }
    return 0;
}

struct QuadricKey {
    char bytes[4];
    explicit QuadricKey(uint32_t handle) {
        for (int i = 0; i < 4; ++i) bytes[i] = char(handle >> (8 * i) & 0xFF);
    }
};

std::string block_key(int64_t id) { return std::to_string(id); }

}  // namespace

void lock_object_key_types(Library &lib) {
    lib.quadricKeyType = lock_type(lib.kernel, quadric_deleted, 0);
    lib.textListKeyType = lock_type(lib.kernel, block_deleted, lib.quadricKeyType);
    g_blockLimit = kInitialBlockLimit;
}

void unlock_object_key_types(Library &lib) {
    if (lib.quadricKeyType) lib.kernel.LockKeyType(lib.quadricKeyType, nullptr, unlock_token);
    if (lib.textListKeyType) lib.kernel.LockKeyType(lib.textListKeyType, nullptr, unlock_token);
    lib.quadricKeyType = lib.textListKeyType = 0;
}

uint32_t file_quadric(GLUquadric *quadric) {
    Library *lib = library();
    if (!quadric) return 0;
    if (!lib || !lib->quadricKeyType) {
        gluDeleteQuadric(quadric);
        return 0;
    }
    // Handles count up and skip 0 and any still in use.
    for (int tries = 0; tries < 1000; ++tries) {
        const uint32_t handle = g_nextQuadric++;
        if (handle == 0) continue;
        QuadricKey key(handle);
        void *existing = nullptr;
        const int rc = lib->kernel.InsertKey(key.bytes, 4, lib->quadricKeyType, quadric,
                                             quadric_deleted, &existing);
        if (rc == 0) return handle;
        if (rc != 1) break;
    }
    gluDeleteQuadric(quadric);
    return 0;
}

GLUquadric *find_quadric(uint32_t handle) {
    Library *lib = library();
    if (!lib || !lib->quadricKeyType || handle == 0) return nullptr;
    QuadricKey key(handle);
    return static_cast<GLUquadric *>(lib->kernel.SearchKey(key.bytes, 4, lib->quadricKeyType));
}

void delete_quadric(uint32_t handle) {
    Library *lib = library();
    if (!lib || !lib->quadricKeyType || handle == 0) return;
    QuadricKey key(handle);
    lib->kernel.DeletePrivateKey(key.bytes, 4, lib->quadricKeyType, quadric_deleted);
}

GLuint file_text_block(TextBlock *block) {
    Library *lib = library();
    if (!lib || !lib->textListKeyType) {
        ++g_blocks;
        block_deleted(block);
        return 0;
    }
    ++g_blocks;
    const std::string key = block_key(block->first);
    void *existing = nullptr;
    if (lib->kernel.InsertKey(key.data(), int(key.size()), lib->textListKeyType, block,
                              block_deleted, &existing) != 0) {
        block_deleted(block);
        return 0;
    }
    return block->first;
}

TextBlock *find_text_block(int64_t id) {
    Library *lib = library();
    if (!lib || !lib->textListKeyType || id <= 0) return nullptr;
    const std::string key = block_key(id);
    return static_cast<TextBlock *>(
        lib->kernel.SearchKey(key.data(), int(key.size()), lib->textListKeyType));
}

void delete_text_block(int64_t id) {
    Library *lib = library();
    if (!lib || !lib->textListKeyType || id <= 0) return;
    const std::string key = block_key(id);
    lib->kernel.DeletePrivateKey(key.data(), int(key.size()), lib->textListKeyType, block_deleted);
}

unsigned &context_generation() { return g_generation; }

void objects_outlive_window() { g_outlived = true; }

void delete_outlived_objects(Library &lib) {
    if (g_outlived.exchange(false)) delete_all_objects(lib);
}

int text_block_count() { return g_blocks.load(); }
int &text_block_limit() { return g_blockLimit; }

// Unlocking a type removes every key in it (each deleted by its function);
// the type is then taken again for the objects still to come.
void delete_all_objects(Library &lib) {
    const int quadrics = lib.quadricKeyType, blocks = lib.textListKeyType;
    if (quadrics) {
        lib.kernel.LockKeyType(quadrics, nullptr, unlock_token);
        if (lib.kernel.LockKeyType(quadrics, quadric_deleted, unlock_token) != 0)
            lib.quadricKeyType = 0;
    }
    if (blocks) {
        lib.kernel.LockKeyType(blocks, nullptr, unlock_token);
        if (lib.kernel.LockKeyType(blocks, block_deleted, unlock_token) != 0)
            lib.textListKeyType = 0;
    }
}

}  // namespace gllib
