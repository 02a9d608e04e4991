#include "module_list.h"

namespace modlib {

void delete_nodes(const extproto::KernelExports &kernel, std::vector<TmModuleNode *> &nodes) {
    while (!nodes.empty()) {
        TmModuleNode *node = nodes.back();
        nodes.pop_back();
        kernel.DeleteFor(node->type, node->hFor);
        delete node;
    }
}

TmModuleNode *link_nodes(std::vector<TmModuleNode *> &nodes) {
    TmModuleNode *prev = nullptr;
    for (TmModuleNode *node : nodes) {
        node->prev = prev;
        node->next = nullptr;
        if (prev) prev->next = node;
        prev = node;
    }
    return nodes.empty() ? nullptr : nodes.front();
}

void TM_CALL delete_module_list(void *firstNode) {
    Library *lib = library();
    if (!lib) return;
    auto *first = static_cast<TmModuleNode *>(firstNode);
    auto found = lib->modules.find(first);
    if (found == lib->modules.end()) return;
    ModuleInfo info = std::move(found->second);
    lib->modules.erase(found);

    // Walked without allocating: deletion must not fail.
    TmModuleNode *node = first;
    while (node->next) node = node->next;
    while (node) {
        TmModuleNode *prev = node->prev;
        lib->kernel.DeleteFor(node->type, node->hFor);
        delete node;
        node = prev;
    }
    for (int number : info.numbers) lib->numbers.give_back(lib->kernel, number);
}

int file_module(Library &lib, int mainNumber, TmModuleNode *first, const ModuleInfo &info) {
    constexpr int kFilingFailed = 1;
    try {
        lib.modules.emplace(first, info);
    } catch (...) {
        return kFilingFailed;
    }
    void *existing = nullptr;
    int rc = lib.kernel.InsertKey(&mainNumber, int(sizeof mainNumber), lib.keyType, first,
                                  delete_module_list, &existing);
    if (rc == 0) return 0;
    lib.modules.erase(first);
    return kFilingFailed;
}

void delete_module(Library &lib, int mainNumber) {
    lib.kernel.DeletePrivateKey(&mainNumber, int(sizeof mainNumber), lib.keyType,
                                delete_module_list);
}

}  // namespace modlib
