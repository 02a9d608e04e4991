#include "text_index.h"

#include <cstddef>
#include <new>
#include <vector>

namespace gllib {

namespace {
std::vector<GLuint> g_index;
}

const GLuint *text_index(GLsizei count) {
    try {
        while (g_index.size() < size_t(count)) g_index.push_back(GLuint(g_index.size()));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    return g_index.data();
}

bool text_index_exists() { return !g_index.empty(); }

void free_text_index() { std::vector<GLuint>().swap(g_index); }

}  // namespace gllib
