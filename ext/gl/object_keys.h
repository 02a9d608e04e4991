// Objects scripts create, filed in the library's two private key types:
// quadrics under the 4 bytes of their handle, text-list blocks under the
// decimal text of their first list id.  The key registry is the one table
// that maps a number a script holds back to the object, so a handle that
// names nothing (or no longer) is refused, never dereferenced.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>

#include "library.h"

namespace gllib {

// Either type is 0 when none is free (its objects then cannot be made).
void lock_object_key_types(Library &lib);
void unlock_object_key_types(Library &lib);

// Files a new quadric and returns its handle (0 when it cannot be filed;
// the quadric is then deleted).
uint32_t file_quadric(GLUquadric *quadric);
// The quadric a handle names, or null.
GLUquadric *find_quadric(uint32_t handle);
void delete_quadric(uint32_t handle);

// A block of display lists, one per character of a text.
struct TextBlock {
    GLuint first = 0;
    GLsizei count = 0;
    unsigned generation = 0;  // of the rendering context that holds the lists
};

// Counts rendering contexts: lists are deleted only in the one that made them.
unsigned &context_generation();

// The objects of a window that is gone still have keys (the lock was taken
// when the window went): they are deleted by the next frame that has it.
void objects_outlive_window();
void delete_outlived_objects(Library &lib);

// Files a block (taking it over) and returns its first list id; 0 when it
// cannot be filed (the lists are then deleted).
GLuint file_text_block(TextBlock *block);
TextBlock *find_text_block(int64_t id);
void delete_text_block(int64_t id);
// Blocks that exist now, and the most that may (initially 1000).
int text_block_count();
int &text_block_limit();

// Deletes every quadric and text block (gleClear, window teardown); the
// caller holds the workspace lock.
void delete_all_objects(Library &lib);

}  // namespace gllib
