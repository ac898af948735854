// Reader of the setup-information file beside the program: the model list,
// and for one model its install data (CopyList, data type) and hardware id.
// Everything is read through the platform's INI reader, every time.
#pragma once
#include <windows.h>

// Module directory followed by the platform row's file name; cached.
const char *SetupInfoPath();

// Number of keys of the models section that the wizard lists.
WORD ModelCount();

// The index-th model name (its key without the quotes) into a 1024-byte
// buffer. Writes nothing when there is no such key, or when the key is too
// long to be looked up again once chosen.
void ModelNameAt(WORD index, char *name);

// Reads CopyList, file count, driver directory and default data type for
// g_install.modelName. Never fails.
BOOL ReadInstallData();

// The value of the model's line in the models section, read into a
// 1024-byte buffer; FALSE (and "") when the quoted key does not fit one.
BOOL ReadModelLine(const char *modelName, char *value);

// Copies the next field of a model's line into field (cut to size) and moves
// text past it: commas alone separate, a run of them like one, and blanks
// stay in the field. FALSE when no field remains.
BOOL NextModelField(const char *&text, char *field, int size);

// Splits the next field off a CopyFiles value as the CopyList takes it: one
// leading '@' dropped, the name up to the next comma, blanks kept in it; an
// empty field gives length 0. Moves text past the field and its comma; FALSE
// when no field remains.
BOOL NextCopyFilesField(const char *&text, const char **name, int *length);

// The second field of the model's line, or NULL when it has none. The text
// stays valid until the next call.
const char *ModelHardwareId(const char *modelName);
