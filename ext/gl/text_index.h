// The index buffer that text-list blocks are drawn through: 0, 1, 2, ...
// up to the longest block seen, added to the block's first list id.
#pragma once

#include <GL/gl.h>

namespace gllib {

// The buffer holding at least `count` indices, or null when no memory.
const GLuint *text_index(GLsizei count);
// Whether the buffer exists (glePrintCnList's error 1 without it).
bool text_index_exists();
void free_text_index();

}  // namespace gllib
