// Replaces a function at the test program's own import table, to reach the
// failures Wine's real implementation never produces (and to see the exact
// arguments a call was made with). The program's code is linked into the
// test program, so its calls go through that table.
//
// The replacement is typed from the real function, passed beside it: one of
// another prototype, or declared without WINAPI, does not compile on i686,
// where a cdecl replacement would leave the caller's stack unbalanced.
#pragma once
#include <windows.h>

// Returns the previous address, or NULL when the import was not found.
void *ReplaceImportAddress(const char *dllName, const char *functionName, void *replacement);

template <typename Function>
Function *ReplaceImport(const char *dllName, const char *functionName, Function *real,
                        Function *replacement)
{
    return (Function *)ReplaceImportAddress(dllName, functionName, (void *)replacement);
}

// Puts an import back for the rest of a scope. A null replacement leaves it
// alone (and original NULL).
template <typename Function>
struct ImportReplacement {
    const char *dll;
    const char *function;
    Function *original;
    ImportReplacement(const char *dllName, const char *functionName, Function *real,
                      Function *replacement)
        : dll(dllName), function(functionName),
          original(replacement ? ReplaceImport(dllName, functionName, real, replacement) : NULL) {}
    ~ImportReplacement() { if (original) ReplaceImportAddress(dll, function, (void *)original); }
    ImportReplacement(const ImportReplacement &) = delete;
    ImportReplacement &operator=(const ImportReplacement &) = delete;
};
