// Module lists: one node per compiled formula, filed as a private key under
// the main module number; removing the key removes the module.
#pragma once

#include <vector>

#include "library.h"

namespace modlib {

// The key's delete function (also the lock of the library's key type):
// deletes the module's formulas last compiled first, frees the nodes and
// gives the module's numbers back.
void TM_CALL delete_module_list(void *firstNode);

// Deletes formulas and nodes, last first, without touching any key.
void delete_nodes(const extproto::KernelExports &kernel, std::vector<TmModuleNode *> &nodes);

// Links nodes in order; returns the first (null for none).
TmModuleNode *link_nodes(std::vector<TmModuleNode *> &nodes);

// Files the module: returns 0, or 1 when the key could not be filed (the
// list is then not filed and stays the caller's).
int file_module(Library &lib, int mainNumber, TmModuleNode *first, const ModuleInfo &info);

// "DeleteModule": removes the key of that main number.
void delete_module(Library &lib, int mainNumber);

}  // namespace modlib
