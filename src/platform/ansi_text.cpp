// Character scans in the ANSI code page, through the system's own stepping.
#include "platform/ansi_text.h"

const char *FindCharacter(const char *text, char c)
{
    for (const char *p = text; *p; p = CharNextA(p))
        if (*p == c) return p;
    return NULL;
}

const char *FindLastCharacter(const char *text, char c)
{
    const char *found = NULL;
    for (const char *p = text; *p; p = CharNextA(p))
        if (*p == c) found = p;
    return found;
}

const char *LastCharacter(const char *text)
{
    return CharPrevA(text, text + lstrlenA(text));
}

BOOL EndsWithCharacter(const char *text, char c)
{
    return text[0] && *LastCharacter(text) == c;
}

int CharacterCount(const char *text)
{
    int count = 0;
    for (const char *p = text; *p; p = CharNextA(p)) ++count;
    return count;
}
