// Scans of names and paths in the user's ANSI code page, character by
// character: in a double-byte code page (Shift-JIS) the second byte of a
// character may be the byte of '\' or of a letter.
#pragma once
#include <windows.h>

// The first character c of the text, or NULL. c is a one-byte character.
const char *FindCharacter(const char *text, char c);

// The last character c of the text, or NULL.
const char *FindLastCharacter(const char *text, char c);

// The text's last character, or the terminator of an empty text.
const char *LastCharacter(const char *text);

// Whether the text's last character is c.
BOOL EndsWithCharacter(const char *text, char c);

// The number of characters of the text.
int CharacterCount(const char *text);
