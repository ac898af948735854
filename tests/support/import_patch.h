// Replaces a function at the test program's own import table, to reach the
// failures Wine's real implementation never produces (and to see the exact
// arguments a call was made with). The program's code is linked into the
// test program, so its calls go through that table.
#pragma once
#include <windows.h>

// Returns the previous address, or NULL when the import was not found.
void *ReplaceImport(const char *dllName, const char *functionName, void *replacement);

// Puts an import back for the rest of a scope.
struct ImportReplacement {
    const char *dll;
    const char *function;
    void *original;
    ImportReplacement(const char *dllName, const char *functionName, void *replacement)
        : dll(dllName), function(functionName),
          original(ReplaceImport(dllName, functionName, replacement)) {}
    ~ImportReplacement() { if (original) ReplaceImport(dll, function, original); }
    ImportReplacement(const ImportReplacement &) = delete;
    ImportReplacement &operator=(const ImportReplacement &) = delete;
};
